#include "notify_record.h"

#include <algorithm>

namespace lumicon {

std::wstring copyTruncated(const std::wstring& text, size_t maxChars) {
  size_t length = std::min(text.size(), maxChars);
  if (length > 0 && length < text.size() && IS_HIGH_SURROGATE(text[length - 1])) --length;
  return text.substr(0, length);
}

void copyAnsiField(const std::wstring& text, char* field, size_t capacity) {
  const size_t room = capacity - 1;
  size_t units = 0;
  size_t bytes = 0;
  while (units < text.size()) {
    const bool pair = IS_HIGH_SURROGATE(text[units]) && units + 1 < text.size() && IS_LOW_SURROGATE(text[units + 1]);
    const int step = pair ? 2 : 1;
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data() + units, step, nullptr, 0, nullptr, nullptr);
    if (size <= 0 || bytes + static_cast<size_t>(size) > room) break;
    bytes += static_cast<size_t>(size);
    units += static_cast<size_t>(step);
  }
  if (units > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(units), field, static_cast<int>(bytes), nullptr,
                        nullptr);
  field[bytes] = '\0';
}

NOTIFYICONDATAA buildRecord(DWORD size, HWND window, UINT id, const TrayFields& fields) {
  NOTIFYICONDATAA record = {};
  record.cbSize = size;
  record.hWnd = window;
  record.uID = id;
  record.uFlags = fields.flags;
  record.uCallbackMessage = fields.callbackMessage;
  record.hIcon = fields.icon;
  const size_t tipCapacity = size < NOTIFYICONDATAA_V2_SIZE ? 64 : sizeof record.szTip;
  copyAnsiField(fields.tip, record.szTip, tipCapacity);
  copyAnsiField(fields.info, record.szInfo, sizeof record.szInfo);
  record.uTimeout = fields.timeout;
  copyAnsiField(fields.infoTitle, record.szInfoTitle, sizeof record.szInfoTitle);
  record.dwInfoFlags = fields.infoFlags;
  return record;
}

BOOL notifyShell(DWORD message, DWORD size, HWND window, UINT id, const TrayFields& fields) {
  NOTIFYICONDATAA record = buildRecord(size, window, id, fields);
  return Shell_NotifyIconA(message, &record);
}

}  // namespace lumicon
