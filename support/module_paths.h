// Where the running program and this library live.
#pragma once

#include <windows.h>

#include <string>

namespace oxs {

// Full path of a loaded module; the program itself for nullptr.
std::wstring modulePath(HMODULE module);
std::wstring folderOf(const std::wstring& path);
// The program's file name without folder and extension ("Veilmark").
std::wstring programBaseName();
HMODULE thisModule();

}  // namespace oxs
