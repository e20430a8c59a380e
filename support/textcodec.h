// Byte-faithful conversion between a file's bytes and its text.
//
// Strictly valid UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF; a BOM stays in the text as U+FEFF) decodes to its characters. Any
// other byte string keeps ASCII bytes as characters and carries each byte b
// >= 0x80 as the escape U+DC00 + b, a lone low surrogate (after a high
// surrogate the same unit is half of a real character). Encoding reverses
// whichever way was taken, so decode followed by encode gives back every
// byte. Plain C++: the ANSI code page is reached through the function the
// caller passes in.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace textcodec {

// Converts characters to the ANSI code page; false when one has no exact
// counterpart there.
using AnsiEncoder = std::function<bool(std::u16string_view text, std::string& bytes)>;

bool isValidUtf8(std::string_view bytes);

// A file in UTF-16, which decode would carry as bytes, not as its text: a
// byte-order mark (FF FE, FE FF), or line breaks only in UTF-16's form
// ("\r\0\n\0", "\0\r\0\n").
bool isUtf16(std::string_view bytes);

std::u16string decode(std::string_view bytes);
// Every byte as itself (ASCII) or as its escape, whatever the bytes hold.
std::u16string decodeBytewise(std::string_view bytes);

// Text holding escapes is written byte-wise, other text as UTF-8.
bool isBytewise(std::u16string_view text);
// Empty result: a character cannot be written faithfully (an unpaired
// surrogate, or a character the ANSI code page lacks).
std::optional<std::string> encode(std::u16string_view text, const AnsiEncoder& ansi);
// Escapes as their bytes, ASCII as itself, every other run of characters
// through `ansi`.
std::optional<std::string> encodeBytewise(std::u16string_view text, const AnsiEncoder& ansi);

}  // namespace textcodec
