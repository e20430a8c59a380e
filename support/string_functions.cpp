// Exported functions that only work on text.
#include "oxlensupport.h"

#include "errors.h"
#include "text_helpers.h"

using namespace oxs;

OXAPI oxBuildFileName(LPCWSTR folder, LPCWSTR fileName, BSTR* result) {
  return ox::comMethod([&] { putBstr(result, buildFileName(orEmpty(folder), orEmpty(fileName))); });
}

OXAPI oxHexEx4(DWORD value, BSTR* result) {
  return ox::comMethod([&] { putBstr(result, hexEx4(value)); });
}

OXAPI oxDebugPrint(LPCWSTR text) {
  return ox::comMethod([&] { OutputDebugStringW((orEmpty(text) + L"\n").c_str()); });
}
