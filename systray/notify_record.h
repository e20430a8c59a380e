// The one funnel for shell calls: every add, change, delete and balloon builds
// a fresh all-zero NOTIFYICONDATAA from the fields it names and hands it to
// Shell_NotifyIconA. Text is kept wide until the record is converted.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <optional>
#include <string>

namespace lumicon {

// The shell-5 record ends at dwInfoFlags; the shell-4 record at a 64-byte szTip.
static_assert(NOTIFYICONDATAA_V2_SIZE == offsetof(NOTIFYICONDATAA, dwInfoFlags) + sizeof(DWORD));
static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + 64);
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V2_SIZE == 488 && NOTIFYICONDATAA_V1_SIZE == 88);
static_assert(offsetof(NOTIFYICONDATAA, szTip) == 24 && offsetof(NOTIFYICONDATAA, dwState) == 152 &&
              offsetof(NOTIFYICONDATAA, szInfo) == 160 && offsetof(NOTIFYICONDATAA, uTimeout) == 416 &&
              offsetof(NOTIFYICONDATAA, szInfoTitle) == 420 && offsetof(NOTIFYICONDATAA, dwInfoFlags) == 484);
#endif

// What one shell call fills; every other field of the record stays zero. Text
// is given whole: the record cuts it to its fields.
struct TrayFields {
  UINT flags = 0;
  UINT callbackMessage = 0;
  HICON icon = nullptr;
  std::wstring tip;
  std::wstring info;
  UINT timeout = 0;
  std::wstring infoTitle;
  DWORD infoFlags = 0;
};

// At most maxChars UTF-16 units of text, never ending inside a surrogate pair.
std::wstring copyTruncated(const std::wstring& text, size_t maxChars);

// Converts text to the ANSI code page into a fixed field of `capacity` bytes:
// as many whole characters as fit before the terminating NUL, which is
// always written. Nothing is written past the field.
void copyAnsiField(const std::wstring& text, char* field, size_t capacity);

// The record in the layout of shell `shellMajor`, which also sets how long a
// tooltip may be.
NOTIFYICONDATAA buildRecord(DWORD shellMajor, HWND window, UINT id, const TrayFields& fields);

// One shell call for icon `id` of `window`, with the shell's version read for
// this call alone. Balloon fields exist from shell 5 on: below it nothing is
// sent and there is no answer.
std::optional<BOOL> notifyShell(DWORD message, HWND window, UINT id, const TrayFields& fields);

}  // namespace lumicon
