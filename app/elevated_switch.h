// The switch of a configuration file that this user may not change, made by
// a second run of the program with administrator rights:
//   Veilmark.exe /switch on|off "PATH"
// That run only switches the file: no icon, no box, no reload request.
#pragma once

#include "app/config_switch.h"

#include <optional>
#include <string>

// Whether the step failed because writing was refused for lack of rights, and
// the user, asked, wants administrator rights used.
bool AdministratorRightsWanted(const SwitchFailure& failure);

// Runs the switch command with administrator rights and waits for it while
// the program's messages keep flowing. True when it switched the file; false
// when the user refused the rights (or the program ended meanwhile). Throws
// when it cannot start, or with the error it ended with.
bool SwitchAsAdministrator(const std::wstring& path, bool enable);

// For a switch command line, the run it asks for: its exit status, 0 or the
// failing error's number (E_INVALIDARG for a malformed command, E_ACCESSDENIED
// for a file other than the stored configuration file, left untouched).
// Nothing for any other command line.
std::optional<int> RunSwitchCommand(int argc, const wchar_t* const argv[]);
