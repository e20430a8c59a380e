#include "app/privoxy_config.h"

#include <algorithm>

#include "app/privoxy_config_rules.h"

namespace privoxy_config {

bool isForwardingOn(std::string_view bytes) { return rules::isForwardingOnIn(bytes); }

std::string blockCommentFor(std::string_view bytes, const textcodec::AnsiEncoder& ansi) {
  // The switched text is written byte-wise only when it holds escapes: when
  // the lines kept from a file that is no UTF-8 have 8-bit bytes. Then the
  // comment goes through the code page, if that has it; otherwise, and in
  // every other file, it is UTF-8.
  const std::string utf8 = *textcodec::encode(BlockComment, ansi);
  if (textcodec::isValidUtf8(bytes)) return utf8;
  bool eightBit = false;
  rules::forEachLine(bytes, [&](size_t, std::string_view line) {
    if (rules::isRuleLineIn(line)) return false;
    eightBit = std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return !eightBit;
  });
  const std::optional<std::string> inCodePage = eightBit ? textcodec::encodeBytewise(BlockComment, ansi) : std::nullopt;
  return inCodePage ? *inCodePage : utf8;
}

std::vector<std::string_view> rewriteForwarding(std::string_view bytes, bool enable, std::string_view comment) {
  return rules::switchedPieces(bytes, enable, comment);
}

}  // namespace privoxy_config
