// The text of Privoxy's configuration file as Veilmark sees it: lines between
// CR LF pairs, the forward directive, and the six-line block that the switch
// keeps at the end of the file. Pure text logic: no file, no Win32.
//
// The rules work on the file's own bytes, so that a large file is never held
// as UTF-16 beside them: the markers are ASCII, and CR LF and ASCII are the
// same bytes in UTF-8 and in every ANSI code page.
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

// True when any line of the file is a forward line.
bool isForwardingOn(std::string_view bytes);

// The block's comment line in the bytes that a file of these bytes can hold:
// UTF-8, or the ANSI code page `ansi` in a legacy file whose kept lines have
// 8-bit bytes, where the code page has Cyrillic; UTF-8 again where it has
// not, which Privoxy skips like any comment while the other lines keep their
// bytes.
std::string blockCommentFor(std::string_view bytes, const textcodec::AnsiEncoder& ansi);

// The file after a switch to the wanted state, as pieces to be written one
// after another: forward lines before the first rule line gain
// BlockedPrefix, everything from that rule line on is dropped, and a fresh
// block with `comment` as its second line ends the file. The pieces are runs
// of `bytes` itself, the prefixes and the block's lines: nothing is copied, so
// they are valid as long as `bytes` and `comment` are.
std::vector<std::string_view> rewriteForwarding(std::string_view bytes, bool enable, std::string_view comment);

}  // namespace privoxy_config
