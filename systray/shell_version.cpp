#include "shell_version.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "oxlensupport.h"

namespace lumicon {

DWORD GetShellMajorVersion() {
  const HMODULE shell = GetModuleHandleA("Shell32");
  if (!shell) return 0;
  const FARPROC getVersion = GetProcAddress(shell, "DllGetVersion");
  if (!getVersion) return 0;
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof info;
  const LONG status = oxCallFunction_4_4(getVersion, reinterpret_cast<LONG_PTR>(&info));
  return status == S_OK ? info.dwMajorVersion : 0;
}

DWORD recordSizeFor(DWORD shellMajor) { return shellMajor < 5 ? NOTIFYICONDATAA_V1_SIZE : NOTIFYICONDATAA_V2_SIZE; }

size_t tipBufferLengthFor(DWORD shellMajor) { return shellMajor < 5 ? 64 : 128; }

}  // namespace lumicon
