// What the support library's tests share: an application object, a limit on
// path lengths and a second run of the test program.
#pragma once

#include <oxlensupport.hpp>

#include "import_patch.h"
#include "program_driver.h"
#include "test_files.h"

#include <memory>
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

// Windows without long-path support, as most machines run it (Wine has no
// such limit): while this lives, the library's calls that take paths refuse
// one of MAX_PATH characters or more that is not in \\?\ form.
class MaxPathLimit {
 public:
  MaxPathLimit();

 private:
  std::vector<std::unique_ptr<ImportPatch>> patches_;
};

// The library's file operations (the calls that open, write, link, stamp or
// move a file), counted while this lives: the one numbered `at` (from 1) ends
// the process on the spot, as a kill would, when `error` is 0, and otherwise
// fails with `error` (ERROR_NOT_SUPPORTED at CreateHardLinkW: a file system
// without links).
class FileCalls {
 public:
  FileCalls(unsigned at, DWORD error);
  ~FileCalls();
  FileCalls(const FileCalls&) = delete;
  FileCalls& operator=(const FileCalls&) = delete;
  // The names of those made so far, in their order.
  const std::vector<const char*>& made() const;

 private:
  std::vector<std::unique_ptr<ImportPatch>> patches_;
};

// Runs this test program again with `arguments`; returns its exit code.
DWORD runChild(const std::wstring& arguments);

}  // namespace support_test
