#include "errors.h"
#include "file_io.h"

namespace oxs {
namespace {

constexpr DWORD kPlainAttributes = FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE;

// The path of the open file itself: a symbolic link's target, so that the
// link stays a link and its target is what gets replaced.
std::wstring finalPath(HANDLE file, const std::wstring& path) {
  std::wstring final(MAX_PATH, L'\0');
  DWORD size = 0;
  while ((size = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0)) >= final.size())
    final.resize(size);
  checkWin32(size != 0, path);
  // As the user names it: the long form is added back where it is needed.
  final.resize(size);
  if (!final.compare(0, 8, L"\\\\?\\UNC\\")) return L"\\" + final.substr(7);
  if (!final.compare(0, 4, L"\\\\?\\")) return final.substr(4);
  return final;
}

// A file that another program holds without delete sharing cannot be
// replaced: refused while nothing has changed yet.
void refuseWhileHeld(const std::wstring& path, const std::wstring& named) {
  for (int attempt = 1; inUse(path); ++attempt) {
    if (attempt == kBusyAttempts) failWin32(ERROR_SHARING_VIOLATION, named);
    Sleep(kBusyPauseMs);
  }
}

}  // namespace

BackedUpRead::BackedUpRead(const std::wstring& path, const std::wstring& backupPath)
    : backup_(backupPath) {
  removeLeftovers(backup_.folder);
  std::optional<UniqueHandle> file = openForReading(path);
  if (!file) failWin32(ERROR_FILE_NOT_FOUND, path);
  file_ = std::move(*file);
  path_ = finalPath(file_.get(), path);
  // Before anything is made beside it.
  refuseWhileHeld(path_, path);
  // Attributes belong to the data, not to a name: a backup sharing a
  // read-only file's data would be read-only too and refuse every later
  // backup. Data that has another name already is something the user keeps
  // there, which must not become the backup.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(file_.get(), &info) && !(info.dwFileAttributes & ~kPlainAttributes) &&
      info.nNumberOfLinks == 1) {
    link_ = TemporaryFile::linkTo(backup_.folder, path_, info);
  }
}

// Read through the open file, which the link was checked to name: the bytes
// are those the backup keeps.
ox::Bstr BackedUpRead::read() const { return readOpenFile(file_.get(), path_); }

void BackedUpRead::keepCopy(std::string_view bytes) {
  const OxBytes piece{bytes.data(), bytes.size()};
  writeFileAtomically(backup_.path, &piece, 1, true);
}

void BackedUpRead::replace(std::string_view bytes, const OxBytes* pieces, size_t count, bool& backupFailed) {
  // A backup that cannot be replaced refuses the switch before the file changes.
  backupFailed = true;
  if (link_) {
    // The link goes over the backup only after the save: a held backup found
    // then would leave the old data in no file.
    backup_.replaceable(true);
    refuseWhileHeld(backup_.path, backup_.path);
  } else {
    keepCopy(bytes);
  }
  backupFailed = false;
  // Wine replaces no file that is open, under any of its names.
  file_.reset();
  try {
    writeFileAtomically(path_, pieces, count, true);
  } catch (const ox::Error&) {
    // The link still names the file's own data: the backup becomes a copy.
    if (link_) {
      link_.reset();
      try {
        keepCopy(bytes);
      } catch (const ox::Error&) {
        // The earlier backup stays; the failure to tell is the file's.
      }
    }
    throw;
  }
  if (!link_) return;
  // Only now is the link the one name of the old data, and so the backup.
  backupFailed = true;
  try {
    moveIntoPlace(*link_, backup_.path, backup_.replaceable(true).has_value());
  } catch (const ox::Error&) {
    link_.reset();
    keepCopy(bytes);
  }
  backupFailed = false;
}

}  // namespace oxs
