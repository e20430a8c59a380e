#include "support/textcodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/native/encoding_samples.h"

namespace {

using textcodec::decode;
using textcodec::encode;
using encoding_samples::cp1251;

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::string hex(std::string_view data) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : data) {
    out += digits[static_cast<uint8_t>(c) >> 4];
    out += digits[static_cast<uint8_t>(c) & 15];
    out += ' ';
  }
  return out;
}

void expectRoundTrip(const std::string& original, const std::string& name) {
  const std::optional<std::string> back = encode(decode(original), cp1251);
  ASSERT_TRUE(back.has_value()) << name << ": " << hex(original);
  EXPECT_EQ(*back, original) << name << ": " << hex(original);
}

TEST(TextCodec, RoundTripsEveryPattern) {
  const struct {
    const char* name;
    std::string data;
  } cases[] = {
      {"empty", ""},
      {"ascii with CR LF", "listen-address 127.0.0.1:8118\r\nforward / .\r\n"},
      {"lone CR and lone LF", "a\rb\nc\r\n\n\r"},
      {"NUL bytes", std::string("a\0b\0\0", 5)},
      {"UTF-8 with BOM", "\xEF\xBB\xBF# Привет\r\n"},
      {"UTF-8 without BOM", "# Привет, мир\r\n"},
      {"BOM only", "\xEF\xBB\xBF"},
      {"four-byte UTF-8", "\xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF"},
      {"low surrogates that look like escapes", "# \xF0\x9F\x92\xA1 \xF0\x9F\x92\xBB \xF0\x9F\x93\x81 \xF0\xA0\x82\x89"},
      {"cp1251 text", bytes({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, 0x0D, 0x0A})},
      {"lone continuation byte", bytes({0x41, 0x80, 0x42})},
      {"overlong slash", bytes({0xC0, 0xAF})},
      {"overlong three-byte", bytes({0xE0, 0x80, 0xAF})},
      {"overlong four-byte", bytes({0xF0, 0x80, 0x80, 0xAF})},
      {"encoded surrogate", bytes({0xED, 0xA0, 0x80})},
      {"encoded low surrogate", bytes({0xED, 0xB2, 0x80})},
      {"above U+10FFFF", bytes({0xF4, 0x90, 0x80, 0x80})},
      {"F5 lead", bytes({0xF5, 0x80, 0x80, 0x80})},
      {"truncated sequence at end", bytes({0x41, 0xD0})},
      {"truncated three-byte", bytes({0xE2, 0x82})},
      {"all 256 bytes", [] {
         std::string s;
         for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
         return s;
       }()},
      {"BOM then invalid byte", bytes({0xEF, 0xBB, 0xBF, 0x41, 0xFF})},
      {"bytes that look like escapes in UTF-8", "\xED\xB2\x80\xED\xB3\xBF"},
      {"valid UTF-8 of U+DC7F neighbour U+E000", "\xEE\x80\x80"},
  };
  for (const auto& c : cases) expectRoundTrip(c.data, c.name);
}

TEST(TextCodec, RoundTripsGeneratedBytes) {
  std::mt19937 random(20240611);
  // Pieces that make random strings come out valid UTF-8 often, and nearly
  // valid the rest of the time.
  std::vector<std::string> pieces = {"a", "\r\n", "\n", std::string(1, '\0'), "\xD0\x9F", "\xE2\x82\xAC", "\xEF\xBB\xBF",
                                     "\xC0", "\x80", "\xED\xA0\x80", "\xFF", "\xCF\xF0"};
  pieces.insert(pieces.end(), std::begin(encoding_samples::FourByteCharacters),
                std::end(encoding_samples::FourByteCharacters));
  for (int round = 0; round < 3000; ++round) {
    std::string data;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) {
      if (round % 2 == 0) {
        data += pieces[random() % pieces.size()];
      } else {
        data.push_back(static_cast<char>(random() % 256));
      }
    }
    expectRoundTrip(data, "generated round " + std::to_string(round));
  }
}

TEST(TextCodec, ValidatesUtf8Strictly) {
  const struct {
    std::string data;
    bool valid;
  } cases[] = {
      {"", true},
      {"\xD0\x9F", true},
      {"\xEF\xBB\xBF", true},
      {"\xF4\x8F\xBF\xBF", true},
      {"\xED\x9F\xBF", true},
      {"\xC0\x80", false},
      {"\xC1\xBF", false},
      {"\xE0\x9F\xBF", false},
      {"\xF0\x8F\xBF\xBF", false},
      {"\xED\xA0\x80", false},
      {"\xED\xBF\xBF", false},
      {"\xF4\x90\x80\x80", false},
      {"\xD0", false},
      {"\x9F", false},
  };
  for (const auto& c : cases) EXPECT_EQ(textcodec::isValidUtf8(c.data), c.valid) << hex(c.data);
  // ASCII is skipped a word at a time: a stray byte in any place of a word counts.
  for (size_t at = 0; at < 24; ++at) {
    std::string ascii(24, 'a');
    ascii[at] = '\x9F';
    EXPECT_FALSE(textcodec::isValidUtf8(ascii)) << hex(ascii);
  }
}

TEST(TextCodec, TellsUtf16ByItsMarkOrItsLineBreaks) {
  const struct {
    std::string data;
    bool utf16;
  } cases[] = {
      {"\xFF\xFE#\0", true},
      {"\xFE\xFF\0#", true},
      {std::string("#\0\r\0\n\0", 6), true},
      {std::string("\0#\0\r\0\n", 6), true},
      {std::string("#\0\r\0\n\0 stray NULs\r\n", 19), false},
      {std::string("x\0y\0", 4), false},
      {"\xEF\xBB\xBF# \xD0\x9F\r\n", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(textcodec::isUtf16(c.data), c.utf16) << hex(c.data);
}

TEST(TextCodec, DecodesBothWays) {
  EXPECT_EQ(decode("\xEF\xBB\xBFП"), u"\uFEFFП");
  EXPECT_EQ(decode(bytes({0x41, 0xCF, 0x41})), u"A\xDCCF" u"A");
  EXPECT_EQ(decode(bytes({0xC0, 0xAF})), u"\xDCC0\xDCAF");
}

TEST(TextCodec, WritesNewTextInTheFilesOwnEncoding) {
  const std::u16string added = u"\r\nforward / .  # Тор";
  // A UTF-8 file stays UTF-8.
  EXPECT_EQ(encode(decode("# Прокси") + added, cp1251), "# Прокси\r\nforward / .  # Тор");
  // A cp1251 file gets the new Cyrillic in cp1251 too.
  const std::string legacy = bytes({0x23, 0x20, 0xCF, 0xF0, 0xEE});
  EXPECT_EQ(encode(decode(legacy) + added, cp1251),
            legacy + "\r\nforward / .  # " + bytes({0xD2, 0xEE, 0xF0}));
  // New text only: UTF-8.
  EXPECT_EQ(encode(u"Тор", cp1251), "Тор");
}

TEST(TextCodec, RefusesWhatItCannotWriteFaithfully) {
  const std::u16string cases[] = {
      u"lone high \xD800 surrogate",
      u"lone low \xDC00 surrogate below the escapes",
      u"\xDC80 escape beside a character cp1251 lacks: \x20AC",
      u"\xDCFF escape beside a lone surrogate \xD801",
  };
  for (const auto& text : cases) EXPECT_FALSE(encode(text, cp1251).has_value()) << hex({reinterpret_cast<const char*>(text.data()), text.size() * 2});
  EXPECT_FALSE(encode(u"\xDC80 Т", nullptr).has_value());
}

}  // namespace
