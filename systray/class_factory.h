// The class object of SysTray.
#pragma once

#include <windows.h>

namespace lumicon {

HRESULT createSysTrayFactory(REFIID iid, void** result);

}  // namespace lumicon
