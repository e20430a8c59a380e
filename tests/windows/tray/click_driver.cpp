// Test driver: the switch through a click on Veilmark's tray icon.
//   tray_click_driver CONFIG on|off [VEILMARK.exe]
// Starts Veilmark.exe (the one beside the driver unless given) on that
// configuration file, clicks its icon once when the file's state is not the
// one asked for, and closes it. Exit code 0 when the file then holds the
// state asked for and Veilmark ended well, 2 when not (saying on stderr what
// went wrong and what the tray and Veilmark showed), 3 on wrong usage.
// What the running chain should make it tell after the click: with
// VEILMARK_E2E_BALLOON set, a balloon holding that text ("-": none within
// 4 s); with VEILMARK_E2E_WARNED set, the warned picture instead of the
// coloured one.
#include "tray_program.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char* lookName(IconLook look) {
  return look == IconLook::Coloured ? "coloured" : look == IconLook::Warned ? "warned" : "grey";
}

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
  // At start a Privoxy without Tor may already warn on the picture.
  if (!waitUntil([&] {
        const std::vector<IconLook> shown = trayIcons();
        return shown == std::vector{before ? IconLook::Coloured : IconLook::Grey} ||
               (before && shown == std::vector{IconLook::Warned});
      })) {
    fail(veilmark, "at start: not the one icon awaited");
    return 2;
  }
  if (before != wanted) veilmark.mouse(WM_LBUTTONUP);
  const IconLook on = _wgetenv(L"VEILMARK_E2E_WARNED") ? IconLook::Warned : IconLook::Coloured;
  const wchar_t* const balloon = _wgetenv(L"VEILMARK_E2E_BALLOON");
  const bool none = balloon && std::wstring(balloon) == L"-";
  const auto balloonShown = [&] {
    const std::wstring shown = shownBalloon();
    return none ? !shown.empty() : shown.find(balloon) != std::wstring::npos;
  };
  const bool switched =
      (forwardingIn(config) == wanted || fail(veilmark, "after the click: the file is not switched")) &&
      trayShows(veilmark, wanted ? on : IconLook::Grey, "after the click: not the icon awaited") &&
      (!balloon || waitUntil(balloonShown, 4000) != none ||
       fail(veilmark, ("after the click: the balloon is \"" + narrow(shownBalloon()) + "\"").c_str())) &&
      // Told after the look: the picture has settled.
      (!balloon || trayIcons() == std::vector{wanted ? on : IconLook::Grey} ||
       fail(veilmark, "after the balloon: not the icon awaited"));
  PostMessageW(veilmark.process().waitForWindow(kFormClass, kMainCaption), WM_CLOSE, 0, 0);
  const bool ended = (veilmark.process().waitForExit() && veilmark.process().exitCode() == 0) ||
                     fail(veilmark, "Veilmark did not end with exit code 0");
  return switched && ended ? 0 : 2;
}
