// Veilmark.exe running with its icon, worked through the icon's control as
// the shell does: callback messages to the control's window, the popup menu
// worked with keys, and Privoxy's configuration file on disk.
#pragma once

#include "test_files.h"
#include "veilmark_windows.h"

#include <string>
#include <vector>

constexpr UINT kTrayCallback = 1093;
inline const wchar_t kControlClass[] = L"LumiconSysTray";
inline const wchar_t kMenuClass[] = L"#32768";

// How an icon in the tray looks on screen: the on picture is coloured, the
// off picture grey, the on picture under a yellow warning mark warned.
enum class IconLook { Coloured, Grey, Warned };
// The icons that Wine's system tray shows right now, left to right; an icon
// not yet painted is left out.
std::vector<IconLook> trayIcons();
// The windows of the icons in Wine's system tray, painted or not.
std::vector<HWND> trayIconWindows();

// The text of the balloon the tray shows now (Wine draws it as a tooltip of
// the tray's own), else empty.
std::wstring shownBalloon();

// A configuration file whose forward line is in force, and one without; its
// Privoxy listens on 127.0.0.1:privoxyPort, or (0) at a host name, so that
// Veilmark does not ask it and tells nothing of it.
std::string configText(bool forwarding, int privoxyPort = 0);
// Privoxy's answer to its status page, with a forward option loaded or not.
std::string statusPage(bool forwards);
// The forwarding state as the file says it: a forward directive in force;
// off while there is no file to read.
bool forwardingIn(const std::wstring& path);

class TrayProgram {
 public:
  // Stores the path as the setting and starts Veilmark; answers no box.
  explicit TrayProgram(const std::wstring& configPath, const std::wstring& program = veilmarkPath());
  ~TrayProgram();

  Program& process() { return program_; }
  // The control's message-only window, once it is there.
  HWND control();
  // Waits until the tray shows exactly this one icon (none: an empty tray).
  bool waitForTray(const std::vector<IconLook>& icons);
  // A mouse message on the icon, handled before this returns.
  void mouse(UINT message);
  // A mouse message on the icon that returns at once, sent as the shell sends
  // it (the right release): handled inside the program's wait for messages.
  void postMouse(UINT message);
  // The program's popup menu while it is open, else nullptr.
  HWND menu();
  HWND waitForMenu();
  // Keys pressed in the open popup menu.
  void menuKeys(const std::vector<WPARAM>& keys);

 private:
  Program program_;
  HWND control_ = nullptr;
};
