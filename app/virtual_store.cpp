#include "app/virtual_store.h"

#include <algorithm>
#include <string_view>

namespace {

// Since Vista these folders carry their English names on disk, so letters
// outside ASCII need not be folded.
wchar_t folded(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool sameName(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return folded(x) == folded(y); });
}

}  // namespace

std::wstring virtualStoreCopy(const std::wstring& path, const std::vector<std::wstring>& virtualisedFolders,
                              const std::wstring& virtualStore) {
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return std::wstring();
  for (std::wstring_view folder : virtualisedFolders) {
    while (!folder.empty() && folder.back() == L'\\') folder.remove_suffix(1);
    // Inside means the folder's name, a backslash and at least one more
    // character: "C:\Program Files (x86)" is not inside "C:\Program Files".
    const bool inside = !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == L'\\' &&
                        sameName(std::wstring_view(path).substr(0, folder.size()), folder);
    if (inside) return virtualStore + path.substr(2);
  }
  return std::wstring();
}
