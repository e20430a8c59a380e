#include "notify_record.h"

#include <algorithm>

#include "shell_version.h"

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

namespace {

// Cut whole in UTF-16 first, so that a cut is the same whatever the code page.
void putText(const std::wstring& text, char* field, size_t capacity) {
  copyAnsiField(copyTruncated(text, capacity - 1), field, capacity);
}

}  // namespace

NOTIFYICONDATAA buildRecord(DWORD shellMajor, HWND window, UINT id, const TrayFields& fields) {
  NOTIFYICONDATAA record = {};
  record.cbSize = recordSizeFor(shellMajor);
  record.hWnd = window;
  record.uID = id;
  record.uFlags = fields.flags;
  record.uCallbackMessage = fields.callbackMessage;
  record.hIcon = fields.icon;
  putText(fields.tip, record.szTip, tipBufferLengthFor(shellMajor));
  putText(fields.info, record.szInfo, sizeof record.szInfo);
  record.uTimeout = fields.timeout;
  putText(fields.infoTitle, record.szInfoTitle, sizeof record.szInfoTitle);
  record.dwInfoFlags = fields.infoFlags;
  return record;
}

std::optional<BOOL> notifyShell(DWORD message, HWND window, UINT id, const TrayFields& fields) {
  const DWORD shellMajor = GetShellMajorVersion();
  if ((fields.flags & NIF_INFO) && shellMajor < 5) return std::nullopt;
  NOTIFYICONDATAA record = buildRecord(shellMajor, window, id, fields);
  return Shell_NotifyIconA(message, &record);
}

}  // namespace lumicon
