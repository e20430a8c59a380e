// A test's own files on disk: a folder for them and their bytes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// A fresh folder under %TEMP%, removed with everything in it, read-only
// files and subfolders too.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
  // What is in it, in no particular order.
  std::vector<std::wstring> names() const;

 private:
  std::wstring path_;
};

// The file's bytes; nothing when it cannot be opened, as when it is missing,
// so that "no file" never passes for "an empty file".
std::optional<std::string> readBytes(const std::wstring& path);
// Replaces the file with exactly these bytes; throws when it cannot.
void writeBytes(const std::wstring& path, const std::string& bytes, bool readOnly = false);
// How many names (hard links) the file's data has; 0 when it cannot be opened.
DWORD nameCount(const std::wstring& path);
