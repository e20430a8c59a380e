// Whole-file reading and atomic replacing, the byte level under TextFile.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "handles.h"
#include "oxlensupport.hpp"

namespace oxs {

// Another program (an editor, Privoxy, a virus scanner) may hold the file for
// a moment: such opens and renames are tried again a few times.
constexpr int kBusyAttempts = 10;
constexpr DWORD kBusyPauseMs = 50;
inline bool isBusy(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// The file's bytes, in a BSTR of bytes; nothing when it does not exist.
std::optional<ox::Bstr> readWholeFile(const std::wstring& path);
// The same in two steps: the open file, or nothing; then its bytes.
std::optional<UniqueHandle> openForReading(const std::wstring& path);
ox::Bstr readOpenFile(HANDLE file, const std::wstring& path);

// Replaces (or creates) the file with `bytes` so that readers see either the
// old or the new file, never a part; the old file survives any failure and no
// temporary file is left behind. The new file keeps the old one's attributes
// and DACL, and its modification time, in whole seconds, is later than the
// old one's. The new content is the pieces one after another. Returns the
// number of bytes written.
size_t writeFileAtomically(const std::wstring& path, const OxBytes* pieces, size_t count, bool overwrite);

// A file about to be replaced: its full path and its folder.
struct Target {
  explicit Target(const std::wstring& name);
  // What is there now; refuses what must not be replaced: a missing folder, a
  // folder, a read-only file, any file unless `overwrite`.
  std::optional<WIN32_FILE_ATTRIBUTE_DATA> replaceable(bool overwrite) const;
  std::wstring path, folder;
};

// A file under a unique name in the folder of the one it is to replace;
// deleted again unless it has been moved into place.
class TemporaryFile {
 public:
  // A new empty file, open for writing.
  explicit TemporaryFile(const std::wstring& folder);
  // A second name for the data of the open file `source`, named
  // `sourcePath`; none where the file system refuses one, or when that name
  // no longer leads to the same data.
  static std::unique_ptr<TemporaryFile> linkTo(const std::wstring& folder, const std::wstring& sourcePath,
                                               const BY_HANDLE_FILE_INFORMATION& source);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  HANDLE handle() const { return handle_; }
  const std::wstring& path() const { return path_; }
  void markMoved() { moved_ = true; }

 private:
  TemporaryFile() = default;
  // Names path_ afresh until `make` does not find the name taken; its error.
  template <class Make>
  DWORD makeUnique(const std::wstring& folder, Make make);

  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool moved_ = false;
};

// The one step that puts a temporary file in place, over `target` when `replace`.
void moveIntoPlace(TemporaryFile& file, const std::wstring& target, bool replace);

// A file read for a caller that keeps exactly the bytes read as its backup.
// Where the file's data may be shared, a second name for it is made beside
// the backup before anything is read, and the backup becomes that name: no
// second copy is written, and once the caller replaces the file the backup
// is the only name of the old data. Elsewhere the backup is a copy. A
// program that writes into the file in place before the caller replaces it
// writes into a linked backup too, which then keeps that change rather than
// losing it with the file.
class BackedUpRead {
 public:
  // Opens the file; fails as reading it does, when it is missing too.
  BackedUpRead(const std::wstring& path, const std::wstring& backupPath);
  ox::Bstr read() const;
  // Replaces the backup as writeFileAtomically would, refusals included;
  // `bytes` are what read() gave back.
  void keep(std::string_view bytes);

 private:
  const std::wstring path_;
  const Target backup_;
  UniqueHandle file_;
  std::unique_ptr<TemporaryFile> link_;
};

}  // namespace oxs
