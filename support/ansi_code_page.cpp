#include "support/ansi_code_page.h"

#include <windows.h>

namespace textcodec {

bool toAnsiCodePage(std::u16string_view text, std::string& bytes) {
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, utf8 ? nullptr : &lossy);
  if (size <= 0 || lossy) return false;
  const size_t start = bytes.size();
  bytes.resize(start + size);
  WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data() + start, size, nullptr, nullptr);
  return true;
}

}  // namespace textcodec
