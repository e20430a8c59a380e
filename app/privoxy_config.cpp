#include "app/privoxy_config.h"

namespace privoxy_config {
namespace {

char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Calls visit(line) for every line: the pieces between CR LF pairs, the last
// one after the final CR LF (empty when the text ends with one). Empty text
// has no lines. visit returns false to stop.
template <class Visit>
void forEachLine(std::u16string_view text, Visit visit) {
  if (text.empty()) return;
  for (size_t start = 0;;) {
    const size_t end = text.find(LineBreak, start);
    if (!visit(text.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start)))
      return;
    if (end == std::u16string_view::npos) return;
    start = end + LineBreak.size();
  }
}

// The user's lines: every line before the first rule line, with the prefix
// that the switch puts before it.
template <class Visit>
void forEachUserLine(std::u16string_view text, Visit visit) {
  forEachLine(text, [&](std::u16string_view line) {
    if (isRuleLine(line)) return false;
    visit(isForwardLine(line) ? BlockedPrefix : std::u16string_view(), line);
    return true;
  });
}

// The six block lines joined by CR LF; the sixth is empty.
void appendBlock(std::u16string& out, bool enable, std::u16string_view comment) {
  for (std::u16string_view part : {BlockRule, LineBreak, comment, LineBreak, BlockRule, LineBreak, LineBreak,
                                   enable ? std::u16string_view() : OffPrefix, ForwardLine, LineBreak})
    out += part;
}

}  // namespace

bool isForwardLine(std::u16string_view line) {
  if (line.size() < ForwardKeyword.size()) return false;
  for (size_t i = 0; i < ForwardKeyword.size(); ++i)
    if (asciiLower(line[i]) != ForwardKeyword[i]) return false;
  return true;
}

bool isRuleLine(std::u16string_view line) { return line == BlockRule; }

bool isForwardingOn(std::u16string_view text) {
  bool on = false;
  forEachLine(text, [&](std::u16string_view line) { return !(on = isForwardLine(line)); });
  return on;
}

std::u16string blockCommentFor(std::u16string_view text, const textcodec::AnsiEncoder& ansi) {
  const bool writable = !textcodec::isBytewise(text) || textcodec::encodeBytewise(BlockComment, ansi);
  if (writable) return std::u16string(BlockComment);
  // The comment holds no escapes, so encode gives its UTF-8 bytes.
  return textcodec::decodeBytewise(*textcodec::encode(BlockComment, ansi));
}

std::u16string rewriteForwarding(std::u16string_view text, bool enable, std::u16string_view comment) {
  // Measured first, so that the result is allocated once.
  std::u16string block;
  appendBlock(block, enable, comment);
  size_t size = block.size();
  forEachUserLine(text, [&](std::u16string_view prefix, std::u16string_view line) {
    size += prefix.size() + line.size() + LineBreak.size();
  });

  std::u16string out;
  out.reserve(size);
  forEachUserLine(text, [&](std::u16string_view prefix, std::u16string_view line) {
    out += prefix;
    out += line;
    out += LineBreak;
  });
  out += block;
  return out;
}

}  // namespace privoxy_config
