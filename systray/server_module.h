// The DLL as a COM server: where it lives, and how many objects and locks
// keep it loaded.
#pragma once

#include <windows.h>

#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace lumicon {

inline HINSTANCE thisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

// Full path of Lumicon.dll.
std::wstring modulePath();

// Every live object counts itself from construction to destruction;
// IClassFactory::LockServer counts locks. The DLL may unload at zero.
void objectCreated();
void objectDestroyed();
void lockServer(bool lock);

}  // namespace lumicon
