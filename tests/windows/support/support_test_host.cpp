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

}  // namespace

MaxPathLimit::MaxPathLimit()
    : create_(GetModuleHandleW(L"oxlensupport0100.dll"), "kernel32.dll", "CreateFileW",
              reinterpret_cast<void*>(&createFileWithinMaxPath)),
      move_(GetModuleHandleW(L"oxlensupport0100.dll"), "kernel32.dll", "MoveFileExW",
            reinterpret_cast<void*>(&moveFileWithinMaxPath)) {}

DWORD runChild(const std::wstring& arguments) {
  const Program child(testProgram(), arguments);
  return child.waitForExit(60000) ? child.exitCode() : static_cast<DWORD>(-1);
}

}  // namespace support_test
