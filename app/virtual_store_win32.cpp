// The folders as this process sees them: a 32-bit program finds the 32-bit
// Program Files under %ProgramFiles% and the 64-bit one under %ProgramW6432%.
#include "app/virtual_store.h"

#include "oxwin32.hpp"

namespace {

// The variable's value; empty when it is not set.
std::wstring environmentVariable(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

}  // namespace

std::wstring ConfigFileInUse(const std::wstring& configured) {
  const std::wstring localAppData = environmentVariable(L"LOCALAPPDATA");
  if (localAppData.empty()) return configured;
  const std::wstring copy = virtualStoreCopy(
      ox::fullPath(configured),
      {environmentVariable(L"ProgramFiles"), environmentVariable(L"ProgramFiles(x86)"),
       environmentVariable(L"ProgramW6432"), environmentVariable(L"SystemRoot")},
      localAppData + L"\\VirtualStore");
  const DWORD attributes = copy.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(copy.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? copy : configured;
}
