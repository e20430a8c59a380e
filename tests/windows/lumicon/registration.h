// Registering Lumicon.dll through its own exports, and a readable copy of
// the registry keys that registration touches.
#pragma once

#include <windows.h>

#include <string>

HRESULT callDllInstall(bool install, const wchar_t* commandLine);
HRESULT callExport(const char* name);  // DllRegisterServer, DllUnregisterServer

// Every key, value name and value under the root, one per line, sorted.
std::wstring registryDump(HKEY root, const wchar_t* path);

// The lines of one dump missing from the other, marked "-" and "+".
std::string dumpDifference(const std::wstring& before, const std::wstring& after);

// Where the registering test keeps the registry as it was before.
extern const wchar_t kSnapshotFile[];
