#include "tray_program.h"

#include <algorithm>

std::string configText(bool forwarding, int privoxyPort) {
  const std::string privoxy = privoxyPort ? "127.0.0.1:" + std::to_string(privoxyPort) : "privoxy.invalid:8118";
  return "listen-address  " + privoxy + "\r\n" + (forwarding ? "" : "#") + "forward-socks4a / 127.0.0.1:9050 .\r\n";
}

std::string statusPage(bool forwards) {
  return std::string("HTTP/1.1 200 OK\r\n\r\n<h2>The following options were given in the <a href=\"c\">config "
                     "file</a>:</h2>\n<p>\n") +
         (forwards ? "<a href=\"f\">forward-socks4a</a> / 127.0.0.1:9050 .<br>\n" : "") + "</p>";
}

bool forwardingIn(const std::wstring& path) {
  const std::string text = readBytes(path).value_or("");
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (_strnicmp(text.c_str() + start, "forward-socks4a", 15) == 0) return true;
    start = end + 2;
  }
  return false;
}

TrayProgram::TrayProgram(const std::wstring& configPath, const std::wstring& program)
    : program_((storeSetting(configPath), program)) {}

// A test that failed midway leaves Veilmark running. Its icon would stay in
// the tray and fail every test after it, so the icon is swept as the mouse
// over the tray sweeps the icons of ended programs.
TrayProgram::~TrayProgram() {
  if (program_.waitForExit(0)) return;
  program_.end();
  for (HWND icon : trayIconWindows()) SendMessageW(icon, WM_MOUSEMOVE, 0, 0);
}

// Wine's tray on a desktop of its own: a tool window holding one child window per icon.
// Its classes are Wine 8's (Debian 12, the 64-bit tests) or Wine 10's (the 32-bit tests
// under scripts/emu32.sh).
std::vector<HWND> trayIconWindows() {
  std::vector<HWND> icons;
  for (HWND tray : topLevelWindows()) {
    const std::wstring trayClass = className(tray);
    const wchar_t* iconClass = trayClass == L"__winex11_standalone_tray" ? L"__winex11_tray_icon"
                               : trayClass == L"Shell_TrayWnd"          ? L"__wine_tray_icon"
                                                                        : nullptr;
    if (!iconClass || !IsWindowVisible(tray)) continue;
    for (HWND icon : childrenOf(tray))
      if (className(icon) == iconClass && IsWindowVisible(icon)) icons.push_back(icon);
  }
  return icons;
}

std::wstring shownBalloon() {
  for (HWND window : topLevelWindows())
    if (className(window) == L"tooltips_class32" && IsWindowVisible(window) && !textOf(window).empty())
      return textOf(window);
  return std::wstring();
}

namespace {

// Pixels on screen, top-down, as 0x00RRGGBB.
std::vector<DWORD> screenPixels(const RECT& place) {
  const int width = place.right - place.left, height = place.bottom - place.top;
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
  GdiFlush();
  std::copy_n(static_cast<const DWORD*>(bits), pixels.size(), pixels.begin());
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

std::vector<IconLook> trayIcons() {
  std::vector<IconLook> looks;
  for (HWND icon : trayIconWindows()) {
    RECT place;
    if (!GetWindowRect(icon, &place)) continue;
    int drawn = 0, coloured = 0, yellow = 0;
    const std::vector<DWORD> pixels = screenPixels(place);
    const DWORD background = pixels.empty() ? 0 : pixels.front();
    for (DWORD pixel : pixels) {
      if (pixel == background) continue;
      ++drawn;
      const int red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
      if (std::max({red, green, blue}) - std::min({red, green, blue}) > 48) ++coloured;
      if (red > 200 && green > 170 && blue < 80) ++yellow;
    }
    if (drawn < 20) continue;
    looks.push_back(yellow > 4 ? IconLook::Warned : coloured > 20 ? IconLook::Coloured : IconLook::Grey);
  }
  return looks;
}

HWND TrayProgram::control() {
  waitUntil([&] {
    for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, kControlClass, nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == program_.id()) control_ = window;
    }
    return control_ != nullptr;
  });
  return control_;
}

bool TrayProgram::waitForTray(const std::vector<IconLook>& icons) {
  return waitUntil([&] { return trayIcons() == icons; });
}

void TrayProgram::mouse(UINT message) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(control(), kTrayCallback, 0, message, SMTO_NORMAL, 60000, &ignored);
}

void TrayProgram::postMouse(UINT message) { SendNotifyMessageW(control(), kTrayCallback, 0, message); }

HWND TrayProgram::menu() { return shownWindowOf(program_.id(), kMenuClass); }

HWND TrayProgram::waitForMenu() { return waitFor([&] { return menu(); }); }

// The menu's own loop reads the keys from the thread's queue.
void TrayProgram::menuKeys(const std::vector<WPARAM>& keys) {
  const HWND menu = waitForMenu();
  for (WPARAM key : keys) {
    pressKey(menu, key);
    Sleep(100);
  }
}
