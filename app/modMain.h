// Start-up of the tray program and the values every part of it reads.
#pragma once

#include <string>

// Full path of Privoxy's configuration file exactly as entered; empty: none.
extern std::wstring ConfigFileName;

// The program's fixed identity: the key of the single-instance guard and of
// the start-with-Windows entry. Never change it between versions.
extern const wchar_t ApplicationGuid[];

// Name of the stored setting that holds ConfigFileName.
extern const wchar_t ConfigFileSetting[];

// The path stored in the setting, empty when none is.
std::wstring StoredConfigFileName();

void Main();
