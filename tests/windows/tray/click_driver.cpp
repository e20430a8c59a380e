// Test driver: the switch through a click on Veilmark's tray icon.
//   tray_click_driver CONFIG on|off [VEILMARK.exe]
// Starts Veilmark.exe (the one beside the driver unless given) on that
// configuration file, clicks its icon once when the file's state is not the
// one asked for, and closes it. Exit code 0 when the file then holds the
// state asked for and Veilmark ended well, 2 when not (saying on stderr what
// went wrong and what the tray and Veilmark showed), 3 on wrong usage.
// After the click, VEILMARK_E2E_WARNED asks for the warned picture, and
// VEILMARK_E2E_BALLOON for a balloon holding that text ("-": none in 4 s).
#include "tray_program.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char* lookName(IconLook look) { return look == IconLook::Grey ? "grey" : look == IconLook::Warned ? "warned" : "coloured"; }

bool fail(TrayProgram& veilmark, const char* what) {
  std::fprintf(stderr, "%s\n  the tray shows:", what);
  for (IconLook shown : trayIcons()) std::fprintf(stderr, " %s", lookName(shown));
  std::fprintf(stderr, " (%u icon windows)\n", static_cast<unsigned>(trayIconWindows().size()));
  const Program& program = veilmark.process();
  if (program.exitCode() != STILL_ACTIVE) std::fprintf(stderr, "  Veilmark has ended with code %lu\n", program.exitCode());
  if (const HWND box = program.messageBox()) {
    std::fprintf(stderr, "  Veilmark shows \"%s\":", narrow(textOf(box)).c_str());
    for (HWND child : childrenOf(box)) std::fprintf(stderr, " \"%s\"", narrow(textOf(child)).c_str());
    std::fprintf(stderr, "\n");
  }
  return false;
}

bool trayShows(TrayProgram& veilmark, IconLook look, const char* what) {
  return veilmark.waitForTray({look}) || fail(veilmark, what);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) return 3;
  const std::wstring config = argv[1];
  const bool wanted = std::wstring(argv[2]) == L"on";
  TrayProgram veilmark(config, argc == 4 ? argv[3] : veilmarkPath());
  const bool before = forwardingIn(config);
  if (!trayShows(veilmark, before ? IconLook::Coloured : IconLook::Grey, "at start: not the one icon awaited"))
    return 2;
  if (before != wanted) veilmark.mouse(WM_LBUTTONUP);
  const IconLook look = !wanted ? IconLook::Grey : _wgetenv(L"VEILMARK_E2E_WARNED") ? IconLook::Warned : IconLook::Coloured;
  const std::wstring balloon = _wgetenv(L"VEILMARK_E2E_BALLOON") ? _wgetenv(L"VEILMARK_E2E_BALLOON") : L"";
  const auto told = [&] {
    const std::wstring shown = shownBalloon();
    return !shown.empty() && (balloon == L"-" || shown.find(balloon) != std::wstring::npos);
  };
  const bool switched =
      (forwardingIn(config) == wanted || fail(veilmark, "after the click: the file is not switched")) &&
      trayShows(veilmark, look, "after the click: not the icon awaited") &&
      // Told after the look: the picture has settled by then.
      (balloon.empty() || (waitUntil(told, 4000) != (balloon == L"-") && trayIcons() == std::vector{look}) ||
       fail(veilmark, ("after the click: the balloon \"" + narrow(shownBalloon()) + "\"").c_str()));
  PostMessageW(veilmark.process().waitForWindow(kFormClass, kMainCaption), WM_CLOSE, 0, 0);
  const bool ended = (veilmark.process().waitForExit() && veilmark.process().exitCode() == 0) ||
                     fail(veilmark, "Veilmark did not end with exit code 0");
  return switched && ended ? 0 : 2;
}
