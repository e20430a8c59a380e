// Text values in the registry, as programs leave them and as tests plant them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

inline const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The REG_SZ value (nullptr: the key's default) up to its terminating NUL,
// NULs stored before it kept; nothing when there is no such text value.
std::optional<std::wstring> registryText(HKEY root, const std::wstring& key, const wchar_t* name);
// Stores the text with its terminating NUL, creating the key; throws when it cannot.
void storeRegistryText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text);
