// Test driver: a setup program or uninstaller run while Veilmark runs.
//   setup_driver VEILMARK.exe CONFIG relaunch|stay SETUP.exe [ARGUMENT...]
// Starts that Veilmark on the configuration file, runs the setup program and
// checks that it closed Veilmark cleanly (exit code 0, icon gone). With
// "relaunch" the same Veilmark.exe must come back with its icon; it is then
// ended as a session end ends it. Exit code 0 when all holds, 2 when not (the
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
  if (!waitUntil([] { return applicationWindow() != nullptr; })) return failed("Veilmark was not started again");
  const HWND application = applicationWindow();
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

bool run(const std::wstring& program, const std::wstring& config, bool relaunch, const std::wstring& setup,
         const std::wstring& arguments) {
  const IconLook look = forwardingIn(config) ? IconLook::Coloured : IconLook::Grey;
  TrayProgram veilmark(config, program);
  if (!veilmark.waitForTray({look})) return failed("Veilmark shows no icon");
  const Program setupRun(setup, arguments);
  if (!setupRun.waitForExit(kSetupWaitMs) || setupRun.exitCode() != 0) return failed("the setup program failed");
  if (!veilmark.process().waitForExit() || veilmark.process().exitCode() != 0)
    return failed("Veilmark was not closed cleanly");
  if (relaunch) {
    if (!veilmark.waitForTray({look})) return failed("no icon after the setup program");
    if (!endRelaunched(program)) return false;
  } else if (waitUntil([] { return applicationWindow() != nullptr; }, 1000)) {
    return failed("Veilmark was started again");
  }
  return veilmark.waitForTray({}) || failed("an icon is left in the tray");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) return 3;
  const std::wstring mode = argv[3];
  if (mode != L"relaunch" && mode != L"stay") return 3;
  std::wstring arguments;
  for (int i = 5; i < argc; ++i) arguments += (i > 5 ? L" " : L"") + std::wstring(argv[i]);
  return run(argv[1], argv[2], mode == L"relaunch", argv[4], arguments) ? 0 : 2;
}
