// What the support library's tests share: an application object, a scratch
// folder and byte-level file access.
#pragma once

#include <oxlensupport.hpp>

#include "import_patch.h"
#include "program_driver.h"

#include <string>
#include <vector>

namespace support_test {

// The application as the runtime would describe it; the title is unique per
// process so that registry keys of parallel runs never meet.
class TestApplication : public IOxApplication {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE get_Title(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE get_ProductName(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE get_Version(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* result) override;

  std::wstring title() const;

 private:
  ULONG references_ = 1;
};

// A fresh folder under %TEMP%, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();
  std::wstring path(const std::wstring& name) const { return folder_ + L"\\" + name; }
  std::vector<std::wstring> names() const;

 private:
  std::wstring folder_;
};

// Windows without long-path support, as most machines run it (Wine has no
// such limit): while this lives, the library's CreateFileW and MoveFileExW
// refuse a path of MAX_PATH characters or more that is not in \\?\ form.
class MaxPathLimit {
 public:
  MaxPathLimit();

 private:
  ImportPatch create_, move_;
};

void writeBytes(const std::wstring& path, const std::string& bytes);
std::string readBytes(const std::wstring& path);

// Runs this test program again with `arguments`; returns its exit code.
DWORD runChild(const std::wstring& arguments);

}  // namespace support_test
