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
// deleted again unless it has been moved into place. The names are
// "~veilmark-" and 16 hexadecimal digits (process and counter) before ".tmp",
// so that what a crash leaves can be told from anything else in the folder.
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
  // Lets go of the file, which is then moved or deleted by its name.
  void close();

 private:
  TemporaryFile() = default;
  // Names path_ afresh until `make` does not find the name taken; its error.
  template <class Make>
  DWORD makeUnique(const std::wstring& folder, Make make);

  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool moved_ = false, closed_ = false;
};

// The one step that puts a temporary file in place, over `target` when `replace`.
// A target that another program holds open fails as in use
// (ERROR_SHARING_VIOLATION), not as access denied.
void moveIntoPlace(TemporaryFile& file, const std::wstring& target, bool replace);

// Whether another program holds the file open in a way that keeps it from
// being replaced (or deleted): without delete sharing.
bool inUse(const std::wstring& path);

// Deletes the temporary files in `folder` (a Target's) that no running write
// holds any more: what a process ended in the middle of a write left there
// (under TemporaryFile's names, or the "~ox" ones of earlier versions).
void removeLeftovers(const std::wstring& folder);

// A file read to be replaced, whose backup then keeps exactly the bytes read.
// Where the file's data may be shared, a second name for it is made under a
// temporary name before anything is read; once the file has been replaced,
// that name becomes the backup, so no second copy is written. Elsewhere, or
// when the replacing fails, the backup is a copy. Either way the backup never
// shares its data with the file: an edit of one never reaches the other. A
// program that writes into the file in place between the read and the
// replacing writes into the link too, which then keeps that change rather
// than losing it with the file.
class BackedUpRead {
 public:
  // Opens the file; fails as reading it does, when it is missing too. A
  // symbolic link stays a link: its target is read and replaced, and the
  // backup is a file of its own.
  BackedUpRead(const std::wstring& path, const std::wstring& backupPath);
  ox::Bstr read() const;
  // Replaces the file with the pieces and the backup with `bytes`, what
  // read() gave back; refusals as writeFileAtomically's. Throws, with
  // `backupFailed` set when the failure was the backup's: the file is then
  // untouched, unless neither the link nor a copy could become the backup
  // after the file was replaced.
  void replace(std::string_view bytes, const OxBytes* pieces, size_t count, bool& backupFailed);

 private:
  void keepCopy(std::string_view bytes);

  std::wstring path_;  // the file itself, a symbolic link's target
  const Target backup_;
  UniqueHandle file_;
  std::unique_ptr<TemporaryFile> link_;
};

}  // namespace oxs
