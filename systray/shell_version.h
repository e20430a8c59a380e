// The shell's major version and what it decides: the record layout and the
// tooltip length. Probed afresh for every shell call, never cached.
#pragma once

#include <windows.h>

namespace lumicon {

// 0 when shell32 is not loaded in the process, has no DllGetVersion, or the
// call fails.
DWORD GetShellMajorVersion();

// Pure forms, for a known major version.
DWORD recordSizeFor(DWORD shellMajor);
size_t tipBufferLengthFor(DWORD shellMajor);

}  // namespace lumicon
