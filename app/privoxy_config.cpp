#include "app/privoxy_config.h"

#include <algorithm>
#include <cstring>

namespace privoxy_config {
namespace {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Where the next CR LF starts, else npos. memchr finds the CR: a find of the
// pair compares byte by byte, and took most of a large file's switch.
size_t findLineBreak(std::string_view bytes, size_t from) {
  while (from < bytes.size()) {
    const void* cr = std::memchr(bytes.data() + from, '\r', bytes.size() - from);
    if (!cr) break;
    from = static_cast<size_t>(static_cast<const char*>(cr) - bytes.data());
    if (from + 1 < bytes.size() && bytes[from + 1] == '\n') return from;
    ++from;
  }
  return std::string_view::npos;
}

// Calls visit(start, line) for every line and the offset where it starts: the
// pieces between CR LF pairs, the last one after the final CR LF (empty when
// the text ends with one). Empty text has no lines. visit returns false to stop.
template <class Visit>
void forEachLine(std::string_view bytes, Visit visit) {
  if (bytes.empty()) return;
  for (size_t start = 0;;) {
    const size_t end = findLineBreak(bytes, start);
    if (!visit(start, bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start))) return;
    if (end == std::string_view::npos) return;
    start = end + LineBreak.size();
  }
}

bool isForwardLine(std::string_view line) {
  return line.size() >= ForwardKeyword.size() &&
         std::equal(ForwardKeyword.begin(), ForwardKeyword.end(), line.begin(),
                    [](char keyword, char c) { return asciiLower(c) == keyword; });
}

bool isRuleLine(std::string_view line) { return line == BlockRule; }

}  // namespace

bool isForwardingOn(std::string_view bytes) {
  bool on = false;
  forEachLine(bytes, [&](size_t, std::string_view line) { return !(on = isForwardLine(line)); });
  return on;
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
    if (isRuleLine(line)) return false;
    eightBit = std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return !eightBit;
  });
  const std::optional<std::string> inCodePage = eightBit ? textcodec::encodeBytewise(BlockComment, ansi) : std::nullopt;
  return inCodePage ? *inCodePage : utf8;
}

// The user's lines go out as runs of the bytes themselves, broken only where
// a forward line gains its prefix; the six block lines, joined by CR LF and
// the sixth empty, follow.
std::vector<std::string_view> rewriteForwarding(std::string_view bytes, bool enable, std::string_view comment) {
  std::vector<std::string_view> pieces;
  const auto put = [&](std::string_view piece) {
    if (!piece.empty()) pieces.push_back(piece);
  };
  size_t run = 0, userEnd = bytes.size();
  bool ruleFound = false;
  forEachLine(bytes, [&](size_t start, std::string_view line) {
    if ((ruleFound = isRuleLine(line))) {
      userEnd = start;
      return false;
    }
    if (isForwardLine(line)) {
      put(bytes.substr(run, start - run));
      put(BlockedPrefix);
      run = start;
    }
    return true;
  });
  put(bytes.substr(run, userEnd - run));
  // Each user line ends with CR LF; in the bytes, only the last line of a file
  // without a rule line has none.
  if (!ruleFound && !bytes.empty()) put(LineBreak);
  const std::string_view block[] = {BlockRule, LineBreak, comment,   LineBreak, BlockRule, LineBreak,
                                    LineBreak, enable ? std::string_view() : OffPrefix, ForwardLine, LineBreak};
  for (std::string_view part : block) put(part);
  return pieces;
}

}  // namespace privoxy_config
