// The switch's rules on the decoded text (UTF-16), written from the rules as
// a reader would apply them by hand: split into lines, find the block, place
// it, join. The reference that the program's switch on the file's bytes is
// held against; it shares nothing with the program but the block's lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/privoxy_config.h"
#include "support/textcodec.h"

namespace reference {

inline std::u16string text(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

inline const std::u16string ForwardKeyword = text(privoxy_config::ForwardKeyword);
inline const std::u16string BlockRule = text(privoxy_config::BlockRule);
using privoxy_config::BlockComment;
inline const std::u16string BlockedPrefix = text(privoxy_config::BlockedPrefix);
inline const std::u16string OffPrefix = text(privoxy_config::OffPrefix);
inline const std::u16string ForwardLine = text(privoxy_config::ForwardLine);

// The pieces between CR LF pairs, the last one after the final CR LF (empty
// when the text ends with one); empty text has none.
inline std::vector<std::u16string_view> lines(std::u16string_view text) {
  std::vector<std::u16string_view> out;
  if (text.empty()) return out;
  for (size_t start = 0;;) {
    const size_t end = text.find(u"\r\n", start);
    out.push_back(text.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start));
    if (end == std::u16string_view::npos) return out;
    start = end + 2;
  }
}

// Starts with the keyword, ASCII letters in either case.
inline bool isForwardLine(std::u16string_view line) {
  if (line.size() < ForwardKeyword.size()) return false;
  for (size_t i = 0; i < ForwardKeyword.size(); ++i) {
    const char16_t c = line[i] >= u'A' && line[i] <= u'Z' ? line[i] - u'A' + u'a' : line[i];
    if (c != ForwardKeyword[i]) return false;
  }
  return true;
}

inline bool isRuleLine(std::u16string_view line) { return line == BlockRule; }

inline bool isForwardingOn(std::u16string_view text) {
  for (std::u16string_view line : lines(text))
    if (isForwardLine(line)) return true;
  return false;
}

// A legacy (byte-wise) text whose code page lacks Cyrillic gets the
// comment's UTF-8 bytes, in escapes.
inline std::u16string blockCommentFor(std::u16string_view text, const textcodec::AnsiEncoder& ansi) {
  const bool writable = !textcodec::isBytewise(text) || textcodec::encodeBytewise(BlockComment, ansi);
  if (writable) return std::u16string(BlockComment);
  // The comment holds no escapes, so encode gives its UTF-8 bytes.
  return textcodec::decodeBytewise(*textcodec::encode(BlockComment, ansi));
}

// Every line before the first rule line, forward lines prefixed, each ended
// by CR LF; then the block, its last line the forward line, on or off.
inline std::u16string rewriteForwarding(std::u16string_view text, bool enable,
                                        std::u16string_view comment = BlockComment) {
  std::u16string out;
  for (std::u16string_view line : lines(text)) {
    if (isRuleLine(line)) break;
    if (isForwardLine(line)) out += BlockedPrefix;
    out.append(line).append(u"\r\n");
  }
  out.append(BlockRule).append(u"\r\n").append(comment).append(u"\r\n").append(BlockRule).append(u"\r\n\r\n");
  if (!enable) out += OffPrefix;
  return out.append(ForwardLine).append(u"\r\n");
}

}  // namespace reference
