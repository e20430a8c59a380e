// The switch's rules on the decoded text (UTF-16), as decoding the file,
// switching and encoding it again would apply them: the reference that the
// program's switch on the file's bytes is held against.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/privoxy_config_rules.h"
#include "support/textcodec.h"

namespace privoxy_config {

inline bool isForwardLine(std::u16string_view line) { return rules::isForwardLineIn(line); }
inline bool isRuleLine(std::u16string_view line) { return rules::isRuleLineIn(line); }
inline bool isForwardingOn(std::u16string_view text) { return rules::isForwardingOnIn(text); }

// A legacy (byte-wise) text whose code page lacks Cyrillic gets the
// comment's UTF-8 bytes, in escapes.
inline std::u16string blockCommentFor(std::u16string_view text, const textcodec::AnsiEncoder& ansi) {
  const bool writable = !textcodec::isBytewise(text) || textcodec::encodeBytewise(BlockComment, ansi);
  if (writable) return std::u16string(BlockComment);
  // The comment holds no escapes, so encode gives its UTF-8 bytes.
  return textcodec::decodeBytewise(*textcodec::encode(BlockComment, ansi));
}

inline std::u16string rewriteForwarding(std::u16string_view text, bool enable,
                                        std::u16string_view comment = BlockComment) {
  std::u16string out;
  for (std::u16string_view piece : rules::switchedPieces(text, enable, comment)) out += piece;
  return out;
}

}  // namespace privoxy_config
