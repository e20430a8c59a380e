#include "support_test_host.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace support_test {

HRESULT TestApplication::QueryInterface(REFIID iid, void** out) {
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IOxApplication)) {
    *out = this;
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

std::wstring TestApplication::title() const {
  return L"Oxlen - SupportTest " + std::to_wstring(GetCurrentProcessId());
}

HRESULT TestApplication::get_Title(BSTR* result) {
  *result = SysAllocString(title().c_str());
  return S_OK;
}
HRESULT TestApplication::get_ProductName(BSTR* result) {
  *result = SysAllocString(L"Veilmark");
  return S_OK;
}
HRESULT TestApplication::get_Version(BSTR* result) {
  *result = SysAllocString(L"1.0.0");
  return S_OK;
}
HRESULT TestApplication::get_Path(BSTR* result) {
  *result = SysAllocString(L"C:\\Program Files\\Veilmark");
  return S_OK;
}

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int counter = 0;
  folder_ = std::wstring(temp) + L"oxtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
  CreateDirectoryW(folder_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  for (const std::wstring& name : names()) {
    SetFileAttributesW(path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path(name).c_str());
  }
  RemoveDirectoryW(folder_.c_str());
}

std::vector<std::wstring> ScratchFolder::names() const {
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    if (wcscmp(entry.cFileName, L".") != 0 && wcscmp(entry.cFileName, L"..") != 0) found.push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return found;
}

namespace {

bool beyondMaxPath(LPCWSTR path) { return wcslen(path) >= MAX_PATH && wcsncmp(path, L"\\\\?\\", 4) != 0; }

HANDLE WINAPI createFileWithinMaxPath(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                      DWORD disposition, DWORD flags, HANDLE model) {
  if (!beyondMaxPath(path)) return CreateFileW(path, access, share, security, disposition, flags, model);
  SetLastError(ERROR_PATH_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

BOOL WINAPI moveFileWithinMaxPath(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (!beyondMaxPath(from) && !beyondMaxPath(to)) return MoveFileExW(from, to, flags);
  SetLastError(ERROR_PATH_NOT_FOUND);
  return FALSE;
}

}  // namespace

MaxPathLimit::MaxPathLimit()
    : create_(GetModuleHandleW(L"oxlensupport0100.dll"), "kernel32.dll", "CreateFileW",
              reinterpret_cast<void*>(&createFileWithinMaxPath)),
      move_(GetModuleHandleW(L"oxlensupport0100.dll"), "kernel32.dll", "MoveFileExW",
            reinterpret_cast<void*>(&moveFileWithinMaxPath)) {}

void writeBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << narrow(path);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string readBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

DWORD runChild(const std::wstring& arguments) {
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  const Program child(program, arguments);
  return child.waitForExit(60000) ? child.exitCode() : static_cast<DWORD>(-1);
}

}  // namespace support_test
