// Text handling shared by the exported functions and classes.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace oxs {

std::wstring orEmpty(LPCWSTR text);
std::wstring bstrText(BSTR text);
// Hands `text` out as a new BSTR through `result`.
void putBstr(BSTR* result, std::wstring_view text);

std::wstring hexEx4(DWORD value);
// `folder` + "\" + `name`, without doubling a separator the folder ends in.
std::wstring buildFileName(std::wstring_view folder, std::wstring_view name);
// A resource name for messages: the name, or "#<number>" for a numbered one.
std::wstring resourceLabel(LPCWSTR name);
// Case-insensitive comparison of two paths (ordinal, as the file system does).
bool samePath(std::wstring_view a, std::wstring_view b);

}  // namespace oxs
