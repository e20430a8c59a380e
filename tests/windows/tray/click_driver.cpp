// Test driver: the switch through a click on Veilmark's tray icon.
//   tray_click_driver CONFIG on|off [VEILMARK.exe]
// Starts Veilmark.exe (the one beside the driver unless given) on that
// configuration file, clicks its icon once when the file's state is not the
// one asked for, and closes it. Exit code 0 when the file then holds the
// state asked for and Veilmark ended well, 2 when not, 3 on wrong usage.
#include "tray_program.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) return 3;
  const std::wstring config = argv[1];
  const bool wanted = std::wstring(argv[2]) == L"on";
  TrayProgram veilmark(config, argc == 4 ? argv[3] : veilmarkPath());
  if (!veilmark.waitForTray({forwardingIn(config) ? IconLook::Coloured : IconLook::Grey})) return 2;
  if (forwardingIn(config) != wanted) veilmark.mouse(WM_LBUTTONUP);
  const bool switched = forwardingIn(config) == wanted &&
                        veilmark.waitForTray({wanted ? IconLook::Coloured : IconLook::Grey});
  PostMessageW(veilmark.process().waitForWindow(kFormClass, kMainCaption), WM_CLOSE, 0, 0);
  const bool ended = veilmark.process().waitForExit() && veilmark.process().exitCode() == 0;
  return switched && ended ? 0 : 2;
}
