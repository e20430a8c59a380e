// The tray pictures at the screen's DPI: drawn for that size, with soft
// edges, not a 16-pixel image stretched.
#include "oxlensupport.hpp"
#include "tray_program.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <olectl.h>

#include <cwchar>
#include <vector>

namespace {

constexpr wchar_t kPictureChild[] = L"--tray-picture-child";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr UINT kBlended = 1000;  // added to the width when some pixel is partly transparent

UINT describe(HICON icon) {
  ICONINFO info{};
  BITMAP bitmap{};
  if (!GetIconInfo(icon, &info) || !GetObjectW(info.hbmColor, sizeof bitmap, &bitmap)) return 0;
  BITMAPINFO format{{sizeof format.bmiHeader, bitmap.bmWidth, -bitmap.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  std::vector<RGBQUAD> pixels(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
  const HDC screen = GetDC(nullptr);
  GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  bool blended = false;
  for (const RGBQUAD& pixel : pixels) blended |= pixel.rgbReserved > 0 && pixel.rgbReserved < 255;
  return static_cast<UINT>(bitmap.bmWidth) + (blended ? kBlended : 0);
}

// Child of the DPI rows: aware of the DPI as Veilmark's manifest makes it, it
// exits with what describe() says of the loaded on picture.
[[maybe_unused]] const bool pictureChild = [] {
  if (!wcsstr(GetCommandLineW(), kPictureChild)) return false;
  SetProcessDPIAware();
  ox::Ptr<IPictureDisp> picture;
  ox::Ptr<IPicture> icon;
  OLE_HANDLE handle = 0;
  if (SUCCEEDED(oxLoadResTrayIcon(L"IDI_TRAY_ON", picture.put())) &&
      SUCCEEDED(picture->QueryInterface(IID_IPicture, reinterpret_cast<void**>(icon.put()))))
    icon->get_Handle(&handle);
  ExitProcess(describe(reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle))));
}();

TEST(TrayPicture, LoadedAtTheSmallIconSizeOfTheDpi) {
  DWORD saved = 0, size = sizeof saved;
  const bool hadDpi = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_DWORD, nullptr, &saved,
                                   &size) == ERROR_SUCCESS;
  const struct {
    DWORD dpi;
    UINT picture;
  } cases[] = {{96, 16}, {120, 20 + kBlended}, {144, 24 + kBlended}, {192, 32 + kBlended}};
  for (const auto& c : cases) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &c.dpi, sizeof c.dpi);
    const Program child(testProgram(), kPictureChild);
    EXPECT_TRUE(child.waitForExit(60000) && child.exitCode() == c.picture) << c.dpi << " DPI: " << child.exitCode();
  }
  if (hadDpi)
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &saved, sizeof saved);
  else
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
}

}  // namespace
