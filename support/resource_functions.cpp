// Exported functions that load the program's resources.
#include "oxlensupport.h"

#include <string>

#include "errors.h"
#include "handles.h"
#include "oxwin32.hpp"
#include "support/textcodec.h"
#include "text_helpers.h"

using namespace oxs;

namespace {

HICON loadIcon(HMODULE module, LPCWSTR name, int width, int height, UINT flags) {
  HICON icon = static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, width, height, flags));
  checkWin32(icon, L"Значок " + resourceLabel(name));
  return icon;
}

std::wstring decodeResourceText(const char* bytes, DWORD size) {
  std::string_view data(bytes, size);
  while (!data.empty() && data.back() == '\0') data.remove_suffix(1);
  const UINT codePage = textcodec::isValidUtf8(data) ? CP_UTF8 : CP_ACP;
  if (codePage == CP_UTF8 && data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
  if (data.empty()) return L"";
  const int length = MultiByteToWideChar(codePage, 0, data.data(), static_cast<int>(data.size()), nullptr, 0);
  std::wstring text(length, L'\0');
  MultiByteToWideChar(codePage, 0, data.data(), static_cast<int>(data.size()), text.data(), length);
  return text;
}

// A small icon's size at the system's DPI: 16 pixels at 96 DPI, 24 at 144.
// Systems without per-DPI metrics know only the size of the session.
int smallIconSize() {
  using MetricsForDpi = int(WINAPI*)(int, UINT);
  using SystemDpi = UINT(WINAPI*)();
  const auto metricsForDpi = ox::userFunction<MetricsForDpi>("GetSystemMetricsForDpi");
  const auto systemDpi = ox::userFunction<SystemDpi>("GetDpiForSystem");
  return metricsForDpi && systemDpi ? metricsForDpi(SM_CXSMICON, systemDpi()) : GetSystemMetrics(SM_CXSMICON);
}

HRESULT loadTrayIcon(LPCWSTR name, HMODULE module, IPictureDisp** result) {
  return ox::comMethod([&] {
    requirePointer(result);
    *result = nullptr;
    // Only the one image the tray shows now is loaded, drawn at its size.
    const int size = smallIconSize();
    UniqueIcon icon(loadIcon(module ? module : GetModuleHandleW(nullptr), name, size, size, 0));
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_ICON;
    description.icon.hicon = icon.get();
    const HRESULT status =
        OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(result));
    if (FAILED(status)) fail(status, L"OleCreatePictureIndirect");
    icon.release();  // the picture owns it now
  });
}

}  // namespace

OXAPI oxSetWindowResIconAll(HWND window, LPCWSTR resourceName) {
  return ox::comMethod([&] {
    if (!IsWindow(window)) failWin32(ERROR_INVALID_WINDOW_HANDLE, L"");
    const HMODULE program = GetModuleHandleW(nullptr);
    // Shared icons belong to the system, so replacing them later leaks nothing.
    HICON big = loadIcon(program, resourceName, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED);
    HICON small =
        loadIcon(program, resourceName, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  });
}

OXAPI oxLoadResTextA(LPCWSTR name, LPCWSTR type, BSTR* result) {
  return ox::comMethod([&] {
    requirePointer(result);
    *result = nullptr;
    const HMODULE program = GetModuleHandleW(nullptr);
    const std::wstring label = resourceLabel(name) + L" (" + resourceLabel(type) + L")";
    HRSRC found = FindResourceW(program, name, type);
    checkWin32(found, L"Ресурс " + label);
    HGLOBAL loaded = LoadResource(program, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    checkWin32(bytes, L"Ресурс " + label);
    putBstr(result, decodeResourceText(static_cast<const char*>(bytes), SizeofResource(program, found)));
  });
}

OXAPI oxLoadResTrayIcon(LPCWSTR name, IPictureDisp** result) { return loadTrayIcon(name, nullptr, result); }

OXAPI oxLoadResTrayIconEx(LPCWSTR name, HINSTANCE module, IPictureDisp** result) {
  return loadTrayIcon(name, module, result);
}
