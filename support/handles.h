// Owners for the Win32 handles the library acquires.
#pragma once

#include <windows.h>

#include <memory>

namespace oxs {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct IconDestroyer {
  using pointer = HICON;
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<HICON__, IconDestroyer>;

}  // namespace oxs
