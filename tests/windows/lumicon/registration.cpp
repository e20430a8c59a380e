#include "registration.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

namespace {

HMODULE loadLumicon() {
  static const HMODULE module = LoadLibraryW(L"Lumicon.dll");
  return module;
}

void dumpKey(HKEY key, const std::wstring& path, std::vector<std::wstring>& lines) {
  lines.push_back(path);
  for (DWORD index = 0;; ++index) {
    wchar_t name[512];
    DWORD nameLength = 512, type = 0, size = 0;
    BYTE data[4096];
    size = sizeof data;
    if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    std::wstring value(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t));
    lines.push_back(path + L" [" + name + L"] = " + value.c_str());
  }
  std::vector<std::wstring> children;
  for (DWORD index = 0;; ++index) {
    wchar_t name[512];
    DWORD nameLength = 512;
    if (RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(name);
  }
  for (const std::wstring& child : children) {
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
    dumpKey(sub, path + L"\\" + child, lines);
    RegCloseKey(sub);
  }
}

}  // namespace

const wchar_t kSnapshotFile[] = L"lumicon-registry-before.txt";

HRESULT callDllInstall(bool install, const wchar_t* commandLine) {
  const auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>(
      reinterpret_cast<void (*)()>(GetProcAddress(loadLumicon(), "DllInstall")));
  return entry ? entry(install, commandLine) : E_NOTIMPL;
}

HRESULT callExport(const char* name) {
  const auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(loadLumicon(), name)));
  return entry ? entry() : E_NOTIMPL;
}

std::wstring registryDump(HKEY root, const wchar_t* path) {
  std::vector<std::wstring> lines;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    dumpKey(key, path, lines);
    RegCloseKey(key);
  }
  std::sort(lines.begin(), lines.end());
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\n";
  return text;
}

std::string dumpDifference(const std::wstring& before, const std::wstring& after) {
  auto split = [](const std::wstring& text) {
    std::set<std::wstring> lines;
    std::wistringstream stream(text);
    for (std::wstring line; std::getline(stream, line);) lines.insert(line);
    return lines;
  };
  const std::set<std::wstring> old = split(before), now = split(after);
  std::string report;
  auto narrow = [](const std::wstring& line) { return std::string(line.begin(), line.end()); };
  for (const std::wstring& line : old)
    if (!now.count(line)) report += "- " + narrow(line) + "\n";
  for (const std::wstring& line : now)
    if (!old.count(line)) report += "+ " + narrow(line) + "\n";
  return report;
}
