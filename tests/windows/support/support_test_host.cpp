#include "support_test_host.h"

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

BOOL WINAPI attributeDataWithinMaxPath(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data) {
  if (!beyondMaxPath(path)) return GetFileAttributesExW(path, level, data);
  SetLastError(ERROR_PATH_NOT_FOUND);
  return FALSE;
}

struct CallPlan {
  std::vector<const char*> made;
  unsigned at = 0;
  DWORD error = 0;
};
CallPlan plan;

// Whether this call is the one to fail; ends the process instead when so planned.
bool stopHere(const char* call) {
  plan.made.push_back(call);
  if (plan.made.size() != plan.at) return false;
  if (!plan.error) TerminateProcess(GetCurrentProcess(), 99);
  SetLastError(plan.error);
  return true;
}

HANDLE WINAPI createFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                         DWORD flags, HANDLE model) {
  if (stopHere("CreateFileW")) return INVALID_HANDLE_VALUE;
  return CreateFileW(path, access, share, security, disposition, flags, model);
}
BOOL WINAPI createHardLink(LPCWSTR link, LPCWSTR existing, LPSECURITY_ATTRIBUTES security) {
  return !stopHere("CreateHardLinkW") && CreateHardLinkW(link, existing, security);
}
BOOL WINAPI writeFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
  return !stopHere("WriteFile") && WriteFile(file, data, size, written, overlapped);
}
BOOL WINAPI setInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID data, DWORD size) {
  return !stopHere("SetFileInformationByHandle") && SetFileInformationByHandle(file, kind, data, size);
}
BOOL WINAPI moveFile(LPCWSTR from, LPCWSTR to, DWORD flags) {
  return !stopHere("MoveFileExW") && MoveFileExW(from, to, flags);
}

using Patches = std::vector<std::unique_ptr<ImportPatch>>;

// The library's imports of kernel32 by those names, each replaced.
Patches patchLibrary(std::initializer_list<std::pair<const char*, void*>> calls) {
  Patches patches;
  for (const auto& [name, replacement] : calls) {
    patches.push_back(
        std::make_unique<ImportPatch>(GetModuleHandleW(L"oxlensupport0100.dll"), "kernel32.dll", name, replacement));
  }
  return patches;
}

}  // namespace

FileCalls::FileCalls(unsigned at, DWORD error) {
  plan = {{}, at, error};
  patches_ = patchLibrary({
      {"CreateFileW", reinterpret_cast<void*>(&createFile)},
      {"CreateHardLinkW", reinterpret_cast<void*>(&createHardLink)},
      {"WriteFile", reinterpret_cast<void*>(&writeFile)},
      {"SetFileInformationByHandle", reinterpret_cast<void*>(&setInformation)},
      {"MoveFileExW", reinterpret_cast<void*>(&moveFile)},
  });
}

FileCalls::~FileCalls() { plan = {}; }

const std::vector<const char*>& FileCalls::made() const { return plan.made; }

MaxPathLimit::MaxPathLimit()
    : patches_(patchLibrary({
          {"CreateFileW", reinterpret_cast<void*>(&createFileWithinMaxPath)},
          {"MoveFileExW", reinterpret_cast<void*>(&moveFileWithinMaxPath)},
          {"GetFileAttributesExW", reinterpret_cast<void*>(&attributeDataWithinMaxPath)},
      })) {}

DWORD runChild(const std::wstring& arguments) {
  const Program child(testProgram(), arguments);
  return child.waitForExit(60000) ? child.exitCode() : static_cast<DWORD>(-1);
}

}  // namespace support_test
