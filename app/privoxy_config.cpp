#include "app/privoxy_config.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace privoxy_config {
namespace {

constexpr size_t npos = std::string_view::npos;

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Lines are the pieces between CR LF pairs: one starts at the text's start
// and after each CR LF.
bool startsLine(std::string_view bytes, size_t at) {
  return at == 0 || (at >= LineBreak.size() && bytes.substr(at - LineBreak.size(), LineBreak.size()) == LineBreak);
}

bool isForwardLine(std::string_view line) {
  return line.size() >= ForwardKeyword.size() &&
         std::equal(ForwardKeyword.begin(), ForwardKeyword.end(), line.begin(),
                    [](char keyword, char c) { return asciiLower(c) == keyword; });
}

// The lines are found by what they hold rather than visited one by one: a
// large file's switch then costs little more than a copy of it.

// Where the first forward line at or after `from` starts, else npos. The
// keyword's '4' is the same in either case and rare in a configuration:
// memchr finds it, and the keyword is compared where its line would start.
size_t findForwardLine(std::string_view bytes, size_t from) {
  constexpr size_t four = ForwardKeyword.find('4');
  for (size_t at = from + four; at < bytes.size(); ++at) {
    const void* hit = std::memchr(bytes.data() + at, '4', bytes.size() - at);
    if (!hit) break;
    at = static_cast<size_t>(static_cast<const char*>(hit) - bytes.data());
    const size_t start = at - four;
    if (startsLine(bytes, start) && isForwardLine(bytes.substr(start))) return start;
  }
  return npos;
}

// Where the first rule line starts, else npos.
size_t findRuleLine(std::string_view bytes) {
  const std::boyer_moore_horspool_searcher rule(BlockRule.begin(), BlockRule.end());
  for (auto at = bytes.begin(); (at = std::search(at, bytes.end(), rule)) != bytes.end(); ++at) {
    const size_t start = static_cast<size_t>(at - bytes.begin()), end = start + BlockRule.size();
    if (startsLine(bytes, start) && (end == bytes.size() || bytes.substr(end, LineBreak.size()) == LineBreak))
      return start;
  }
  return npos;
}

}  // namespace

bool isForwardingOn(std::string_view bytes) { return findForwardLine(bytes, 0) != npos; }

std::string blockCommentFor(std::string_view bytes, const textcodec::AnsiEncoder& ansi) {
  // The switched text is written byte-wise only when it holds escapes: when
  // the lines kept from a file that is no UTF-8 have 8-bit bytes. Then the
  // comment goes through the code page, if that has it; otherwise, and in
  // every other file, it is UTF-8.
  const std::string utf8 = *textcodec::encode(BlockComment, ansi);
  if (textcodec::isValidUtf8(bytes)) return utf8;
  const std::string_view kept = bytes.substr(0, findRuleLine(bytes));
  const bool eightBit =
      std::any_of(kept.begin(), kept.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
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
  const size_t rule = findRuleLine(bytes), userEnd = std::min(rule, bytes.size());
  size_t run = 0;
  for (size_t line = findForwardLine(bytes, 0); line < userEnd; line = findForwardLine(bytes, line + 1)) {
    put(bytes.substr(run, line - run));
    put(BlockedPrefix);
    run = line;
  }
  put(bytes.substr(run, userEnd - run));
  // Each user line ends with CR LF; in the bytes, only the last line of a file
  // without a rule line has none.
  if (rule == npos && !bytes.empty()) put(LineBreak);
  const std::string_view block[] = {BlockRule, LineBreak, comment,   LineBreak, BlockRule, LineBreak,
                                    LineBreak, enable ? std::string_view() : OffPrefix, ForwardLine, LineBreak};
  for (std::string_view part : block) put(part);
  return pieces;
}

}  // namespace privoxy_config
