// Exported functions that only work on text.
#include "oxlensupport.h"

#include "errors.h"
#include "text_helpers.h"

using namespace oxs;

OXAPI oxBuildFileName(LPCWSTR folder, LPCWSTR fileName, BSTR* result) {
  return guarded([&] { putBstr(result, buildFileName(orEmpty(folder), orEmpty(fileName))); });
}

OXAPI oxHexEx4(DWORD value, BSTR* result) {
  return guarded([&] { putBstr(result, hexEx4(value)); });
}

OXAPI oxDebugPrint(LPCWSTR text) {
  return guarded([&] { OutputDebugStringW((orEmpty(text) + L"\n").c_str()); });
}
