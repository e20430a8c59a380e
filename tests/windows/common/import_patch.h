// Replaces one entry of a loaded module's import table for the lifetime of
// the object: the way a test host sees (or shapes) what a shipped DLL asks of
// Windows and of the support library without anything test-only in the DLL.
#pragma once

#include <windows.h>

class ImportPatch {
 public:
  ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement);
  ~ImportPatch();
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

  void* original() const { return original_; }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};
