// The text of Privoxy's configuration file as Veilmark sees it: lines between
// CR LF pairs, the forward directive, and the six-line block that the switch
// keeps at the end of the file. Pure text logic: no file, no Win32.
//
// Every rule works alike on the decoded text (UTF-16) and on the file's own
// bytes: the markers are ASCII, and CR LF and ASCII are the same bytes in
// UTF-8 and in every ANSI code page. The switch itself works on the bytes, so
// that a large file is never held as UTF-16 beside them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/textcodec.h"

namespace privoxy_config {

// An ASCII text spelt in the character type of the text it goes into.
template <class Char, size_t N>
struct Ascii {
  Char chars[N]{};
  constexpr operator std::basic_string_view<Char>() const { return {chars, N - 1}; }
};
template <class Char, size_t N>
constexpr Ascii<Char, N> ascii(const char (&text)[N]) {
  Ascii<Char, N> out;
  for (size_t i = 0; i < N; ++i) out.chars[i] = static_cast<Char>(text[i]);
  return out;
}

template <class Char>
struct Markers {
  static constexpr auto ForwardKeyword = ascii<Char>("forward-socks4a");
  static constexpr auto BlockRule = ascii<Char>("# ===================================================================");
  static constexpr auto BlockedPrefix = ascii<Char>("# [BLOCKED BY VEILMARK] ");
  static constexpr auto OffPrefix = ascii<Char>("# [OFF] # ");
  static constexpr auto ForwardLine = ascii<Char>("forward-socks4a   /               127.0.0.1:9050 .");
  static constexpr auto LineBreak = ascii<Char>("\r\n");
};

inline constexpr std::u16string_view ForwardKeyword = Markers<char16_t>::ForwardKeyword;
inline constexpr std::u16string_view BlockRule = Markers<char16_t>::BlockRule;
inline constexpr std::u16string_view BlockComment =
    u"# Подключение к TOR. Внимание! Добавляйте свои данные до этого блока!";
inline constexpr std::u16string_view BlockedPrefix = Markers<char16_t>::BlockedPrefix;
inline constexpr std::u16string_view OffPrefix = Markers<char16_t>::OffPrefix;
inline constexpr std::u16string_view ForwardLine = Markers<char16_t>::ForwardLine;
inline constexpr std::u16string_view LineBreak = Markers<char16_t>::LineBreak;

// The keyword at the very start of the line, in any ASCII case.
bool isForwardLine(std::u16string_view line);
bool isForwardLine(std::string_view line);
// Exactly the block's rule, nothing after it.
bool isRuleLine(std::u16string_view line);
bool isRuleLine(std::string_view line);

// True when any line of the text is a forward line.
bool isForwardingOn(std::u16string_view text);
bool isForwardingOn(std::string_view bytes);

// The block's comment line as a file of this text can hold it when written
// with `ansi`: a legacy (byte-wise) file whose code page lacks Cyrillic gets
// the comment's UTF-8 bytes, which Privoxy skips like any comment, while its
// other lines keep their bytes.
std::u16string blockCommentFor(std::u16string_view text, const textcodec::AnsiEncoder& ansi);
// The same comment as the bytes that writing the switched text of the file
// `bytes` would give it.
std::string blockCommentFor(std::string_view bytes, const textcodec::AnsiEncoder& ansi);

// The text after a switch to the wanted state: forward lines before the first
// rule line gain BlockedPrefix, everything from that rule line on is dropped,
// and a fresh block with `comment` as its second line ends the text.
std::u16string rewriteForwarding(std::u16string_view text, bool enable, std::u16string_view comment = BlockComment);
// The same for the file's bytes, as pieces to be written one after another:
// runs of `bytes` itself, the prefixes and the block's lines. Nothing is
// copied, so the pieces are valid as long as `bytes` and `comment` are.
std::vector<std::string_view> rewriteForwarding(std::string_view bytes, bool enable, std::string_view comment);

}  // namespace privoxy_config
