// Test driver: a setup program or uninstaller run while Veilmark runs.
//   setup_driver VEILMARK.exe CONFIG relaunch|stay|busy SETUP.exe [ARGUMENT...]
// Starts that Veilmark on the configuration file, runs the setup program and
// checks that it closed Veilmark cleanly (exit code 0, icon gone). With
// "relaunch" the same Veilmark.exe must come back with its icon; it is then
// ended as a session end ends it. With "busy" Veilmark has its settings
// dialog open and cannot end: the setup program must fail, and Veilmark ends
// once the dialog is closed. Exit code 0 when all holds, 2 when not (the
// reason on stderr), 3 on wrong usage.
#include "tray_program.h"

#include <cstdio>

namespace {

constexpr DWORD kSetupWaitMs = 60000;

bool failed(const char* reason) {
  std::fprintf(stderr, "setup_driver: %s\n", reason);
  return false;
}

HWND applicationWindow() { return FindWindowW(kApplicationClass, kTitle); }

// Ends the Veilmark that the setup program started again, checking where it
// was started from and that it ends well.
bool endRelaunched(const std::wstring& program) {
  const HWND application = waitFor(applicationWindow);
  if (!application) return failed("Veilmark was not started again");
  DWORD id = 0;
  GetWindowThreadProcessId(application, &id);
  const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!process) return failed("the new Veilmark cannot be opened");
  wchar_t path[MAX_PATH];
  DWORD size = MAX_PATH;
  const bool samePath = QueryFullProcessImageNameW(process, 0, path, &size) && _wcsicmp(path, program.c_str()) == 0;
  SendMessageTimeoutW(application, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_BLOCK, kWaitMs, nullptr);
  DWORD code = STILL_ACTIVE;
  const bool ended = WaitForSingleObject(process, kWaitMs) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
  CloseHandle(process);
  if (!samePath) return failed("another program was started");
  if (!ended || code != 0) return failed("the new Veilmark did not end well");
  return true;
}

// The setup program gives up on a Veilmark that a dialog keeps busy; the end
// it asked for comes when the dialog closes.
bool runBusy(TrayProgram& veilmark, const std::wstring& setup, const std::wstring& arguments) {
  veilmark.postMouse(WM_RBUTTONUP);
  veilmark.menuKeys({VK_DOWN, VK_DOWN, VK_RETURN});
  const HWND dialog = settingsDialog(veilmark.process());
  if (!dialog) return failed("no settings dialog");
  const Program setupRun(setup, arguments);
  if (!setupRun.waitForExit(kSetupWaitMs) || setupRun.exitCode() == 0)
    return failed("the setup program did not fail on a busy Veilmark");
  if (veilmark.process().waitForExit(0)) return failed("Veilmark ended under its dialog");
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  if (!veilmark.process().waitForExit() || veilmark.process().exitCode() != 0)
    return failed("Veilmark did not end after its dialog");
  return veilmark.waitForTray({}) || failed("an icon is left in the tray");
}

bool run(const std::wstring& program, const std::wstring& config, const std::wstring& mode,
         const std::wstring& setup, const std::wstring& arguments) {
  const IconLook look = forwardingIn(config) ? IconLook::Coloured : IconLook::Grey;
  TrayProgram veilmark(config, program);
  if (!veilmark.waitForTray({look})) return failed("Veilmark shows no icon");
  if (mode == L"busy") return runBusy(veilmark, setup, arguments);
  const Program setupRun(setup, arguments);
  if (!setupRun.waitForExit(kSetupWaitMs) || setupRun.exitCode() != 0) return failed("the setup program failed");
  if (!veilmark.process().waitForExit() || veilmark.process().exitCode() != 0)
    return failed("Veilmark was not closed cleanly");
  if (mode == L"relaunch") {
    if (!veilmark.waitForTray({look})) return failed("no icon after the setup program");
    if (!endRelaunched(program)) return false;
  } else if (waitFor(applicationWindow, 1000)) {
    return failed("Veilmark was started again");
  }
  return veilmark.waitForTray({}) || failed("an icon is left in the tray");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) return 3;
  const std::wstring mode = argv[3];
  if (mode != L"relaunch" && mode != L"stay" && mode != L"busy") return 3;
  std::wstring arguments;
  for (int i = 5; i < argc; ++i) arguments += (i > 5 ? L" " : L"") + std::wstring(argv[i]);
  return run(argv[1], argv[2], mode, argv[4], arguments) ? 0 : 2;
}
