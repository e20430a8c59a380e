#include "app/elevated_switch.h"
#include "app/modMain.h"
#include "app/runner.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The run that switches a protected file with administrator rights: nothing
  // of the tray, not even the single-instance guard the tray's run holds.
  if (const std::optional<int> status = RunSwitchCommand(__argc, __wargv)) return *status;
  return RunProgram(Main);
}
