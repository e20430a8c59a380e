// libFuzzer target over the switch and the state test: every file must keep
// the switch's properties. Bytes below 0x80 stand for themselves; the others
// pick the fragments the rules and the codec react to, so that short inputs
// reach every rule and every class of character.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/native/encoding_samples.h"
#include "tests/native/privoxy_config_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace privoxy_config;
  static const std::vector<std::string> fragments = [] {
    std::vector<std::string> all = {std::string(ForwardKeyword), std::string(BlockRule),
                                    encoding_samples::utf8(BlockComment), std::string(BlockedPrefix),
                                    std::string(OffPrefix), std::string(ForwardLine), "\r\n", "FORWARD-SOCKS4A", "\x80",
                                    "\xEF\xBB\xBF", "\xE2\x84\xAA", "\xD1\x8F"};
    all.insert(all.end(), std::begin(encoding_samples::FourByteCharacters),
               std::end(encoding_samples::FourByteCharacters));
    return all;
  }();
  std::string bytes;
  for (size_t i = 0; i < size; ++i)
    if (data[i] < 0x80) bytes += static_cast<char>(data[i]);
    else bytes += fragments[data[i] % fragments.size()];

  for (const auto& ansi : {encoding_samples::cp1251, encoding_samples::cp1252}) {
    const std::string broken = privoxy_config_invariants::fileViolation(bytes, ansi);
    if (!broken.empty()) {
      std::fprintf(stderr, "%s\n", broken.c_str());
      std::abort();
    }
  }
  return 0;
}
