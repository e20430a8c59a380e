#include "support/textcodec.h"

#include <cstdint>
#include <cstring>

namespace textcodec {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
// An escape is a lone low surrogate: after a high surrogate the same unit is
// the second half of a character beyond U+FFFF (U+1F4A1 ends in U+DCA1).
bool isEscapeAt(std::u16string_view text, size_t i) {
  const char16_t c = text[i];
  return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF && (i == 0 || !isHighSurrogate(text[i - 1]));
}

// The well-formed UTF-8 sequences: lead byte range, then the allowed range of
// the second byte; later bytes are always 80..BF.
struct SequenceRule {
  uint8_t leadFirst, leadLast;
  int length;
  uint8_t secondFirst, secondLast;
};
constexpr SequenceRule kRules[] = {
    {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF}, {0xE1, 0xEC, 3, 0x80, 0xBF},
    {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF}, {0xF0, 0xF0, 4, 0x90, 0xBF},
    {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F},
};

// Decodes the code point at `pos` and moves past it; nothing when the bytes
// there are not well-formed UTF-8.
std::optional<char32_t> nextCodePoint(std::string_view bytes, size_t& pos) {
  const auto lead = static_cast<uint8_t>(bytes[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  for (const SequenceRule& rule : kRules) {
    if (lead < rule.leadFirst || lead > rule.leadLast) continue;
    if (bytes.size() - pos < static_cast<size_t>(rule.length)) return std::nullopt;
    char32_t value = lead & (0xFF >> (rule.length + 1));
    for (int i = 1; i < rule.length; ++i) {
      const auto b = static_cast<uint8_t>(bytes[pos + i]);
      const uint8_t first = i == 1 ? rule.secondFirst : 0x80;
      const uint8_t last = i == 1 ? rule.secondLast : 0xBF;
      if (b < first || b > last) return std::nullopt;
      value = (value << 6) | (b & 0x3F);
    }
    pos += rule.length;
    return value;
  }
  return std::nullopt;
}

void appendUtf16(char32_t c, std::u16string& out) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

void appendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Bytes that the UTF-8 form of the text takes (a surrogate pair counts 4).
size_t utf8Length(std::u16string_view text) {
  size_t length = 0;
  for (char16_t c : text) length += c < 0x80 ? 1 : c < 0x800 ? 2 : isLowSurrogate(c) ? 1 : 3;
  return length;
}

std::optional<std::string> encodeUtf8(std::u16string_view text) {
  std::string out;
  // Sized up front: the file's text is large, a reallocation would hold it twice.
  out.reserve(utf8Length(text));
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i])) {
      return std::nullopt;
    }
    appendUtf8(c, out);
  }
  return out;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    // ASCII, most of any configuration file, is passed eight bytes at a time.
    for (uint64_t eight; bytes.size() - pos >= 8; pos += 8) {
      std::memcpy(&eight, bytes.data() + pos, 8);
      if (eight & 0x8080808080808080u) break;
    }
    if (pos < bytes.size() && !nextCodePoint(bytes, pos)) return false;
  }
  return true;
}

bool isUtf16(std::string_view bytes) {
  using namespace std::string_view_literals;
  const std::string_view start = bytes.substr(0, 2);
  if (start == "\xFF\xFE"sv || start == "\xFE\xFF"sv) return true;
  if (bytes.find("\r\n"sv) != std::string_view::npos) return false;
  return bytes.find("\r\0\n\0"sv) != std::string_view::npos || bytes.find("\0\r\0\n"sv) != std::string_view::npos;
}

std::u16string decode(std::string_view bytes) {
  if (!isValidUtf8(bytes)) return decodeBytewise(bytes);
  std::u16string text;
  text.reserve(bytes.size());
  size_t pos = 0;
  while (pos < bytes.size()) appendUtf16(*nextCodePoint(bytes, pos), text);
  return text;
}

std::u16string decodeBytewise(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (char byte : bytes) {
    const auto b = static_cast<uint8_t>(byte);
    text.push_back(b < 0x80 ? char16_t(b) : char16_t(kEscapeBase + b));
  }
  return text;
}

bool isBytewise(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (isEscapeAt(text, i)) return true;
  }
  return false;
}

std::optional<std::string> encode(std::u16string_view text, const AnsiEncoder& ansi) {
  return isBytewise(text) ? encodeBytewise(text, ansi) : encodeUtf8(text);
}

std::optional<std::string> encodeBytewise(std::u16string_view text, const AnsiEncoder& ansi) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (isEscapeAt(text, i)) {
      out.push_back(static_cast<char>(c - kEscapeBase));
      ++i;
    } else {
      size_t end = i;
      while (end < text.size() && text[end] >= 0x80 && !isEscapeAt(text, end)) ++end;
      std::string converted;
      if (!ansi || !ansi(text.substr(i, end - i), converted)) return std::nullopt;
      out += converted;
      i = end;
    }
  }
  return out;
}

}  // namespace textcodec
