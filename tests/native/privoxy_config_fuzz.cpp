// libFuzzer target over the switch and the state test: every input must keep
// the switch's properties. Bytes below 0x80 are characters; the others pick
// the fragments the rules react to, so that short inputs reach every rule.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/native/privoxy_config_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace privoxy_config;
  static const std::u16string_view fragments[] = {
      ForwardKeyword, BlockRule, BlockComment, BlockedPrefix, OffPrefix, ForwardLine, LineBreak,
      u"FORWARD-SOCKS4A", u"\xDC80", u"\xFEFF", u"\u212A", u"я"};
  std::u16string text;
  for (size_t i = 0; i < size; ++i)
    if (data[i] < 0x80) text += static_cast<char16_t>(data[i]);
    else text += fragments[data[i] % std::size(fragments)];

  const std::string broken = privoxy_config_invariants::violation(text);
  if (!broken.empty()) {
    std::fprintf(stderr, "%s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
