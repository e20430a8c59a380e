// What the support library's tests share: an application object, a limit on
// path lengths and a second run of the test program.
#pragma once

#include <oxlensupport.hpp>

#include "import_patch.h"
#include "program_driver.h"
#include "test_files.h"

#include <string>

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

// Windows without long-path support, as most machines run it (Wine has no
// such limit): while this lives, the library's CreateFileW and MoveFileExW
// refuse a path of MAX_PATH characters or more that is not in \\?\ form.
class MaxPathLimit {
 public:
  MaxPathLimit();

 private:
  ImportPatch create_, move_;
};

// Runs this test program again with `arguments`; returns its exit code.
DWORD runChild(const std::wstring& arguments);

}  // namespace support_test
