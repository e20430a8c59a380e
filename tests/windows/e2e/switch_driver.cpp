// Test driver: the program's own switch, run on the file given.
//   switch_driver CONFIG on|off
// Switches, then reads the state back as the tray form does. Exit code 0 when
// the state read back is the one asked for, 2 when not, 3 on wrong usage.
// The switch with administrator rights starts this driver again with the
// program's switch command, which it runs as the program does.
#include <windows.h>

#include <string>

#include "app/elevated_switch.h"
#include "app/forwarding.h"
#include "app/modMain.h"
#include "app/runner.h"

namespace {

int outcome = 3;

void SwitchAsAsked() {
  if (__argc != 3) return;
  const bool enable = std::wstring(__wargv[2]) == L"on";
  ConfigFileName = __wargv[1];
  SetForwarding(enable);
  outcome = IsForwardingOn() == enable ? 0 : 2;
}

}  // namespace

int wmain() {
  if (const std::optional<int> status = RunSwitchCommand(__argc, __wargv)) return *status;
  RunProgram(SwitchAsAsked);
  return outcome;
}
