// Bytes and ANSI code pages that the codec and the switch are tested with.
#pragma once

#include <string>
#include <string_view>

#include "support/textcodec.h"

namespace encoding_samples {

// A character of every four-byte UTF-8 class (lead F0, F1..F3 and F4, each
// with its own second-byte range) whose low surrogate lies below, inside and
// above U+DC80..U+DCFF, the range that escaped bytes take.
inline const std::string FourByteCharacters[] = {
    "\xF0\x90\x80\x80", "\xF0\x9F\x92\xA1", "\xF0\x9F\x98\x80", "\xF0\xA0\x82\x89", "\xF1\x80\x80\xBF",
    "\xF2\x80\x82\x80", "\xF3\xBF\x83\xBF", "\xF4\x80\x80\x80", "\xF4\x8F\x82\x80", "\xF4\x8F\xBF\xBF"};

// Text without escapes as the codec writes it: UTF-8.
inline std::string utf8(std::u16string_view text) { return *textcodec::encode(text, nullptr); }

// The Cyrillic part of code page 1251, enough to stand in for the ANSI code page.
inline bool cp1251(std::u16string_view text, std::string& bytes) {
  for (char16_t c : text) {
    if (c >= u'А' && c <= u'я') {
      bytes.push_back(static_cast<char>(0xC0 + (c - u'А')));
    } else if (c == u'Ё' || c == u'ё') {
      bytes.push_back(static_cast<char>(c == u'Ё' ? 0xA8 : 0xB8));
    } else {
      return false;
    }
  }
  return true;
}

// Latin-1's upper half as code page 1252 holds it: no Cyrillic.
inline bool cp1252(std::u16string_view text, std::string& bytes) {
  for (char16_t c : text) {
    if (c < 0xA0 || c > 0xFF) return false;
    bytes.push_back(static_cast<char>(c));
  }
  return true;
}

}  // namespace encoding_samples
