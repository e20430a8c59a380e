#include "runtime/application.h"


#include "oxlensupport.hpp"
#include "oxwin32.hpp"

#include <cwchar>
#include <vector>

namespace runtime {
namespace {

class VersionStrings {
 public:
  explicit VersionStrings(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    ox::checkWin32(size != 0);
    data_.resize(size);
    ox::checkWin32(GetFileVersionInfoW(file.c_str(), 0, size, data_.data()));
    struct Translation {
      WORD language;
      WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof(Translation))
      missing(L"Translation");
    wchar_t block[32];
    std::swprintf(block, 32, L"\\StringFileInfo\\%04x%04x\\", translation->language, translation->codePage);
    block_ = block;
  }

  std::wstring value(const wchar_t* name) {
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), (block_ + name).c_str(), reinterpret_cast<void**>(&text), &length) || !length)
      missing(name);
    return std::wstring(text, wcsnlen(text, length));
  }

 private:
  [[noreturn]] static void missing(const wchar_t* name) {
    throw ox::Error{static_cast<long>(HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND)),
                    std::wstring(L"В ресурсе версии программы нет значения ") + name};
  }

  std::vector<BYTE> data_;
  std::wstring block_;
};

HRESULT copyOut(const std::wstring& text, BSTR* result) {
  if (!result) return E_POINTER;
  *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *result ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

Application::Application() {
  const std::wstring file = ox::modulePath(ox::thisModule());
  VersionStrings version(file);
  title_ = version.value(L"FileDescription");
  productName_ = version.value(L"ProductName");
  version_ = version.value(L"ProductVersion");
  path_ = ox::folderOf(file);
}

Application& application() {
  static Application instance;
  return instance;
}

HRESULT Application::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IOxApplication)) {
    *object = static_cast<IOxApplication*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT Application::get_Title(BSTR* result) { return copyOut(title_, result); }
HRESULT Application::get_ProductName(BSTR* result) { return copyOut(productName_, result); }
HRESULT Application::get_Version(BSTR* result) { return copyOut(version_, result); }
HRESULT Application::get_Path(BSTR* result) { return copyOut(path_, result); }

}  // namespace runtime
