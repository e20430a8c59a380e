// Exported functions about the process itself and about objects.
#include "oxlensupport.h"

#include "errors.h"
#include "oxwin32.hpp"

using namespace oxs;

OXAPI oxRegisterAppPath(LONG* result) {
  return ox::comMethod([&] {
    requirePointer(result);
    const std::wstring folder = ox::folderOf(ox::modulePath(nullptr));
    // Replaces the current directory in the DLL search order.
    checkWin32(SetDllDirectoryW(folder.c_str()), L"SetDllDirectory " + folder);
    *result = 1;
  });
}

OXAPI oxIsInIDE(VARIANT_BOOL* result) {
  return ox::comMethod([&] {
    requirePointer(result);
    *result = VARIANT_FALSE;
  });
}

OXAPI oxObjectRelease(IUnknown* object, LONG* result) {
  return ox::comMethod([&] {
    requirePointer(object);
    requirePointer(result);
    *result = static_cast<LONG>(object->Release());
  });
}

OXAPI oxObjectAddRef(IUnknown* object, LONG* result) {
  return ox::comMethod([&] {
    requirePointer(object);
    requirePointer(result);
    *result = static_cast<LONG>(object->AddRef());
  });
}

OX_EXPORT LONG WINAPI oxCallFunction_4_4(FARPROC function, LONG_PTR argument) {
  using OneArgument = LONG(WINAPI*)(LONG_PTR);
  if (!function) return E_POINTER;
  LONG result = 0;
  const HRESULT status =
      ox::comMethod([&] { result = reinterpret_cast<OneArgument>(reinterpret_cast<void (*)()>(function))(argument); });
  return FAILED(status) ? status : result;
}
