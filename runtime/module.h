// The module (EXE or DLL) that this copy of the runtime is linked into: its
// window classes, version resource and folder are the program's.
#pragma once

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace runtime {

inline HINSTANCE thisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

}  // namespace runtime
