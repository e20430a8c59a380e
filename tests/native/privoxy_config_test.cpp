#include "app/privoxy_config.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/native/encoding_samples.h"
#include "tests/native/privoxy_config_invariants.h"

using namespace reference;
using encoding_samples::utf8;

namespace {

std::u16string operator+(std::u16string_view a, std::u16string_view b) {
  std::u16string out(a);
  return out += b;
}

std::u16string block(bool on) {
  return BlockRule + u"\r\n" + BlockComment + u"\r\n" + BlockRule + u"\r\n\r\n" +
         (on ? std::u16string(ForwardLine) : OffPrefix + ForwardLine) + u"\r\n";
}

// Readable failure messages: UTF-16 to UTF-8, escapes as \uXXXX.
std::string show(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c == u'\r') out += "\\r";
    else if (c == u'\n') out += "\\n";
    else if (c >= 0x20 && c < 0x7f) out += static_cast<char>(c);
    else {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out;
}

struct StateCase {
  const char* name;
  std::u16string text;
  bool on;
};

TEST(ForwardingState, FollowsTheForwardLines) {
  const StateCase cases[] = {
      {"empty file", u"", false},
      {"user's own directive, any address", u"forward-socks4a / 10.1.2.3:9999 .", true},
      {"capitals", u"FORWARD-SOCKS4A / 127.0.0.1:9050 .", true},
      {"mixed case on a later line", u"listen-address 127.0.0.1:8118\r\nForward-Socks4A / x:1 .", true},
      {"keyword alone", u"forward-socks4a", true},
      {"one character short", u"forward-socks4", false},
      {"leading blank", u" forward-socks4a / x:1 .", false},
      {"leading tab", u"\tforward-socks4a / x:1 .", false},
      {"commented out", u"#forward-socks4a / x:1 .", false},
      {"socks4 directive", u"forward-socks4 / x:1 .", false},
      {"socks5 directive", u"forward-socks5 / x:1 .", false},
      {"socks5t directive", u"forward-socks5t / x:1 .", false},
      {"lone LF: one line, keyword not first", u"listen\nforward-socks4a / x:1 .", false},
      {"lone LF: one line, keyword first", u"forward-socks4a / x:1 .\nlisten", true},
      {"lone CR does not end a line", u"listen\rforward-socks4a / x:1 .", false},
      {"blocked line", BlockedPrefix + u"forward-socks4a / x:1 .", false},
      {"block off", block(false), false},
      {"block on", block(true), true},
      {"hand-written line after an off block", block(false) + u"forward-socks4a / y:2 .", true},
      {"non-ASCII letters never fold to the keyword", u"forward-soc\u212As4a / x:1 .", false},
      {"escaped byte in the keyword", u"forward-socks4\xDCE1 / x:1 .", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isForwardingOn(c.text), c.on) << c.name;
    EXPECT_EQ(privoxy_config::isForwardingOn(utf8(c.text)), c.on) << c.name << ", as bytes";
  }
}

struct RewriteCase {
  const char* name;
  std::u16string text;
  bool enable;
  std::u16string expected;
};

TEST(ForwardingSwitch, PlacesTheBlock) {
  const std::u16string oldBlockOff = block(false);
  const RewriteCase cases[] = {
      {"empty file, on", u"", true, block(true)},
      {"empty file, off", u"", false, block(false)},
      {"no final CR LF: block right after the last line", u"listen", true, u"listen\r\n" + block(true)},
      {"final CR LF: exactly one blank line", u"listen\r\n", true, u"listen\r\n\r\n" + block(true)},
      {"capitals are blocked and keep their text", u"FORWARD-SOCKS4A / x:1 .\r\nb", false,
       BlockedPrefix + u"FORWARD-SOCKS4A / x:1 .\r\nb\r\n" + block(false)},
      {"leading blank is left alone", u" forward-socks4a / x:1 .", true, u" forward-socks4a / x:1 .\r\n" + block(true)},
      {"blocked lines stay as they are", BlockedPrefix + u"forward-socks4a / x:1 .", true,
       BlockedPrefix + u"forward-socks4a / x:1 .\r\n" + block(true)},
      {"rule plus a blank is no rule", u"a\r\n" + BlockRule + u" \r\nb", true,
       u"a\r\n" + BlockRule + u" \r\nb\r\n" + block(true)},
      {"rule plus a blank: block at the next exact rule",
       u"a\r\n" + BlockRule + u" \r\n" + BlockComment + u"\r\n" + BlockRule + u"\r\n\r\n" + ForwardLine + u"\r\n", false,
       u"a\r\n" + BlockRule + u" \r\n" + BlockComment + u"\r\n" + block(false)},
      {"earlier block is replaced, text after it dropped", u"a\r\n" + oldBlockOff + u"listen-address x:1\r\n", true,
       u"a\r\n" + block(true)},
      {"first line a rule: the block alone", BlockRule + u"\r\nanything\r\nforward-socks4a / x:1 .", true, block(true)},
      {"two rules: the block at the first", u"a\r\n" + BlockRule + u"\r\nb\r\n" + BlockRule + u"\r\nc", false,
       u"a\r\n" + block(false)},
      {"lone LF file is one line, keyword first", u"forward-socks4a / x:1 .\nlisten", true,
       BlockedPrefix + u"forward-socks4a / x:1 .\nlisten\r\n" + block(true)},
      {"lone LF file is one line, keyword later", u"listen\nforward-socks4a / x:1 .", true,
       u"listen\nforward-socks4a / x:1 .\r\n" + block(true)},
      {"forward lines below the first rule are not examined", BlockRule + u"\r\nforward-socks4a / x:1 .", false,
       block(false)},
  };
  for (const auto& c : cases) {
    const std::u16string got = rewriteForwarding(c.text, c.enable);
    EXPECT_EQ(got, c.expected) << c.name << "\n got: " << show(got) << "\nwant: " << show(c.expected);
    EXPECT_EQ(privoxy_config_invariants::switchedBytes(utf8(c.text), c.enable, encoding_samples::cp1251),
              utf8(c.expected))
        << c.name << ", as bytes";
  }
}

TEST(ForwardingSwitch, BlockLinesAreExact) {
  EXPECT_EQ(BlockRule.size(), 69u);
  EXPECT_EQ(BlockComment.size(), 69u);
  EXPECT_EQ(BlockedPrefix.size(), 24u);
  EXPECT_EQ(OffPrefix.size(), 10u);
  EXPECT_EQ(ForwardLine.size(), 50u);
  EXPECT_EQ((OffPrefix + ForwardLine).size(), 60u);
}

TEST(ForwardingSwitch, CommentTakesAFormTheFileCanHold) {
  const std::u16string legacy = textcodec::decode("# caf\xE9");
  EXPECT_EQ(blockCommentFor(legacy, encoding_samples::cp1251), BlockComment);
  EXPECT_EQ(blockCommentFor(legacy, encoding_samples::cp1252), textcodec::decodeBytewise(utf8(BlockComment)));
  EXPECT_EQ(blockCommentFor(u"# café", encoding_samples::cp1252), BlockComment);
}

// Files built from the fragments users and earlier switches leave behind:
// UTF-8, bytes that are no UTF-8, and characters beyond U+FFFF.
std::string generatedFile(std::mt19937& random) {
  static const std::vector<std::string> fragments = [] {
    std::vector<std::string> all = {
        "", "listen-address  127.0.0.1:8118", "forward-socks4a / 127.0.0.1:9050 .", "FORWARD-SOCKS4A / a:1 .",
        " forward-socks4a / b:2 .", "forward-socks5 / c:3 .", utf8(BlockRule), utf8(BlockRule) + " ",
        utf8(BlockComment), utf8(BlockedPrefix) + "forward-socks4a / d:4 .", utf8(OffPrefix + ForwardLine),
        utf8(ForwardLine), "# комментарий", "a\nforward-socks4a", "forward-socks4a\rx", "\xC0\xFF",
        "\xEF\xBB\xBF" "confdir /etc/privoxy"};
    all.insert(all.end(), std::begin(encoding_samples::FourByteCharacters),
               std::end(encoding_samples::FourByteCharacters));
    return all;
  }();
  std::uniform_int_distribution<size_t> count(0, 12), pick(0, fragments.size() - 1);
  std::string bytes;
  const size_t n = count(random);
  for (size_t i = 0; i < n; ++i) {
    if (i) bytes += "\r\n";
    bytes += fragments[pick(random)];
  }
  if (random() % 2) bytes += "\r\n";
  return bytes;
}

TEST(ForwardingSwitch, KeepsItsPropertiesOnGeneratedFiles) {
  std::mt19937 random(20261207);
  for (int i = 0; i < 5000; ++i) {
    const std::string bytes = generatedFile(random);
    ASSERT_EQ(privoxy_config_invariants::fileViolation(bytes, encoding_samples::cp1251), "")
        << "code page 1251, file: " << show(textcodec::decode(bytes));
    ASSERT_EQ(privoxy_config_invariants::fileViolation(bytes, encoding_samples::cp1252), "")
        << "code page 1252, file: " << show(textcodec::decode(bytes));
  }
}

}  // namespace
