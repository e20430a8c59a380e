#include "app_window.h"

#include "errors.h"
#include "module_paths.h"
#include "text_helpers.h"

namespace oxs {
namespace {

BOOL CALLBACK matchAppWindow(HWND window, LPARAM found) {
  wchar_t className[64];
  if (GetClassNameW(window, className, 64) && lstrcmpW(className, OX_APP_WINDOW_CLASS) == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND findAppWindow() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), matchAppWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring applicationTitle() {
  if (HWND window = findAppWindow()) {
    const int length = GetWindowTextLengthW(window);
    std::wstring title(length + 1, L'\0');
    title.resize(GetWindowTextW(window, title.data(), length + 1));
    if (!title.empty()) return title;
  }
  return programBaseName();
}

std::wstring readApplication(IOxApplication* app, ApplicationText property) {
  requirePointer(app);
  BSTR value = nullptr;
  const HRESULT status = (app->*property)(&value);
  const std::wstring text = bstrText(value);
  SysFreeString(value);
  if (FAILED(status)) {
    // Keep the application object's own explanation.
    IErrorInfo* info = nullptr;
    BSTR description = nullptr;
    if (GetErrorInfo(0, &info) == S_OK) {
      info->GetDescription(&description);
      info->Release();
    }
    std::wstring explanation = bstrText(description);
    SysFreeString(description);
    fail(status, explanation);
  }
  return text;
}

}  // namespace oxs
