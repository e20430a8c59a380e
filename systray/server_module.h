// The DLL as a COM server: how many objects and locks keep it loaded.
#pragma once

#include <windows.h>

namespace lumicon {

// Every live object counts itself from construction to destruction;
// IClassFactory::LockServer counts locks. The DLL may unload at zero.
void objectCreated();
void objectDestroyed();
void lockServer(bool lock);

}  // namespace lumicon
