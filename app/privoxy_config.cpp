#include "app/privoxy_config.h"

#include <algorithm>

namespace privoxy_config {
namespace {

template <class Char>
using View = std::basic_string_view<Char>;

template <class Char>
Char asciiLower(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Calls visit(start, line) for every line and the offset where it starts: the
// pieces between CR LF pairs, the last one after the final CR LF (empty when
// the text ends with one). Empty text has no lines. visit returns false to stop.
template <class Char, class Visit>
void forEachLine(View<Char> text, Visit visit) {
  if (text.empty()) return;
  const View<Char> lineBreak = Markers<Char>::LineBreak;
  for (size_t start = 0;;) {
    const size_t end = text.find(lineBreak, start);
    if (!visit(start, text.substr(start, end == View<Char>::npos ? View<Char>::npos : end - start))) return;
    if (end == View<Char>::npos) return;
    start = end + lineBreak.size();
  }
}

template <class Char>
bool isForwardLineIn(View<Char> line) {
  const View<Char> keyword = Markers<Char>::ForwardKeyword;
  if (line.size() < keyword.size()) return false;
  for (size_t i = 0; i < keyword.size(); ++i)
    if (asciiLower(line[i]) != keyword[i]) return false;
  return true;
}

template <class Char>
bool isRuleLineIn(View<Char> line) {
  return line == View<Char>(Markers<Char>::BlockRule);
}

template <class Char>
bool isForwardingOnIn(View<Char> text) {
  bool on = false;
  forEachLine(text, [&](size_t, View<Char> line) { return !(on = isForwardLineIn(line)); });
  return on;
}

// The user's lines go out as runs of the text itself, broken only where a
// forward line gains its prefix; the six block lines, joined by CR LF and the
// sixth empty, follow.
template <class Char>
std::vector<View<Char>> switchedPieces(View<Char> text, bool enable, View<Char> comment) {
  using M = Markers<Char>;
  std::vector<View<Char>> pieces;
  const auto put = [&](View<Char> piece) {
    if (!piece.empty()) pieces.push_back(piece);
  };
  size_t run = 0, userEnd = text.size();
  bool ruleFound = false;
  forEachLine(text, [&](size_t start, View<Char> line) {
    if ((ruleFound = isRuleLineIn(line))) {
      userEnd = start;
      return false;
    }
    if (isForwardLineIn(line)) {
      put(text.substr(run, start - run));
      put(M::BlockedPrefix);
      run = start;
    }
    return true;
  });
  put(text.substr(run, userEnd - run));
  // Each user line ends with CR LF; in the text, only the last line of a file
  // without a rule line has none.
  if (!ruleFound && !text.empty()) put(M::LineBreak);
  const View<Char> block[] = {M::BlockRule, M::LineBreak, comment, M::LineBreak, M::BlockRule, M::LineBreak,
                              M::LineBreak, enable ? View<Char>() : M::OffPrefix, M::ForwardLine, M::LineBreak};
  for (View<Char> part : block) put(part);
  return pieces;
}

}  // namespace

bool isForwardLine(std::u16string_view line) { return isForwardLineIn(line); }
bool isForwardLine(std::string_view line) { return isForwardLineIn(line); }
bool isRuleLine(std::u16string_view line) { return isRuleLineIn(line); }
bool isRuleLine(std::string_view line) { return isRuleLineIn(line); }
bool isForwardingOn(std::u16string_view text) { return isForwardingOnIn(text); }
bool isForwardingOn(std::string_view bytes) { return isForwardingOnIn(bytes); }

std::u16string blockCommentFor(std::u16string_view text, const textcodec::AnsiEncoder& ansi) {
  const bool writable = !textcodec::isBytewise(text) || textcodec::encodeBytewise(BlockComment, ansi);
  if (writable) return std::u16string(BlockComment);
  // The comment holds no escapes, so encode gives its UTF-8 bytes.
  return textcodec::decodeBytewise(*textcodec::encode(BlockComment, ansi));
}

std::string blockCommentFor(std::string_view bytes, const textcodec::AnsiEncoder& ansi) {
  // The switched text is written byte-wise only when it holds escapes: when
  // the lines kept from a file that is no UTF-8 have 8-bit bytes. Then the
  // comment goes through the code page, if that has it; otherwise, and in
  // every other file, it is UTF-8.
  const std::string utf8 = *textcodec::encode(BlockComment, ansi);
  if (textcodec::isValidUtf8(bytes)) return utf8;
  bool eightBit = false;
  forEachLine(bytes, [&](size_t, std::string_view line) {
    if (isRuleLineIn(line)) return false;
    eightBit = std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return !eightBit;
  });
  const std::optional<std::string> inCodePage = eightBit ? textcodec::encodeBytewise(BlockComment, ansi) : std::nullopt;
  return inCodePage ? *inCodePage : utf8;
}

std::u16string rewriteForwarding(std::u16string_view text, bool enable, std::u16string_view comment) {
  const std::vector<std::u16string_view> pieces = switchedPieces(text, enable, comment);
  // Measured first, so that the result is allocated once.
  size_t size = 0;
  for (std::u16string_view piece : pieces) size += piece.size();
  std::u16string out;
  out.reserve(size);
  for (std::u16string_view piece : pieces) out += piece;
  return out;
}

std::vector<std::string_view> rewriteForwarding(std::string_view bytes, bool enable, std::string_view comment) {
  return switchedPieces(bytes, enable, comment);
}

}  // namespace privoxy_config
