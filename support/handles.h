// Owners for the Win32 handles the library acquires.
#pragma once

#include <windows.h>

#include <memory>

#include "oxwin32.hpp"

namespace oxs {

using ox::UniqueHandle;

struct IconDestroyer {
  using pointer = HICON;
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<HICON__, IconDestroyer>;

}  // namespace oxs
