// Properties every switch must keep, whatever the file held; shared by the
// GoogleTest suite and the fuzz target.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/privoxy_config.h"
#include "tests/native/privoxy_config_text.h"
#include "support/textcodec.h"

namespace privoxy_config_invariants {

// Empty when every property holds, else the first one that does not.
inline std::string violation(std::u16string_view text) {
  using namespace reference;
  const std::u16string on = rewriteForwarding(text, true);
  const std::u16string off = rewriteForwarding(text, false);
  if (rewriteForwarding(on, true) != on) return "switching on twice changed the file";
  if (rewriteForwarding(off, false) != off) return "switching off twice changed the file";
  if (rewriteForwarding(rewriteForwarding(on, false), true) != on) return "on, off, on differs from on";
  if (!isForwardingOn(on) || isForwardingOn(off)) return "the state does not follow the block";

  const auto before = lines(text);
  for (const std::u16string* result : {&on, &off}) {
    const auto after = lines(*result);
    if (after.size() < 6 || after.back() != u"" || after[after.size() - 6] != BlockRule)
      return "the block does not end the file";
    size_t kept = 0;
    while (kept < before.size() && !isRuleLine(before[kept])) ++kept;
    if (after.size() != kept + 6) return "a line before the block was lost or added";
    for (size_t i = 0; i < kept; ++i) {
      const std::u16string prefixed = BlockedPrefix + std::u16string(before[i]);
      if (after[i] != before[i] && after[i] != prefixed) return "a user line changed beyond the prefix";
      if (isForwardLine(after[i])) return "a forward line was left above the block";
    }
  }
  return {};
}

// The switch as the program runs it, on the file's own bytes.
inline std::string switchedBytes(std::string_view bytes, bool enable, const textcodec::AnsiEncoder& ansi) {
  const std::string comment = privoxy_config::blockCommentFor(bytes, ansi);
  std::string out;
  for (std::string_view piece : privoxy_config::rewriteForwarding(bytes, enable, comment)) out += piece;
  return out;
}

// The same for the file's bytes with the ANSI code page `ansi`: the backup
// holds the very bytes, and each switched file can be written, reads back in
// its state and survives a second switch. The switch over the bytes gives
// what writing the switched text would.
inline std::string fileViolation(const std::string& bytes, const textcodec::AnsiEncoder& ansi) {
  using namespace reference;
  const auto switched = [&](std::u16string_view text, bool enable) {
    return textcodec::encode(rewriteForwarding(text, enable, blockCommentFor(text, ansi)), ansi);
  };
  const std::u16string text = textcodec::decode(bytes);
  if (textcodec::encode(text, ansi) != bytes) return "the backup differs from the file";
  if (privoxy_config::isForwardingOn(bytes) != isForwardingOn(text)) return "the bytes and the text differ in state";
  for (bool enable : {true, false}) {
    const std::optional<std::string> written = switched(text, enable);
    if (!written) return "the switched file cannot be written";
    if (switchedBytes(bytes, enable, ansi) != *written) return "the switch over the bytes differs from the text's";
    const std::u16string reread = textcodec::decode(*written);
    if (isForwardingOn(reread) != enable) return "the file reads back in the other state";
    if (switched(reread, enable) != written) return "a second switch changed the bytes";
  }
  return violation(text);
}

}  // namespace privoxy_config_invariants
