#include "errors.h"
#include "file_io.h"

namespace oxs {
namespace {

constexpr DWORD kPlainAttributes = FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE;

}  // namespace

BackedUpRead::BackedUpRead(const std::wstring& path, const std::wstring& backupPath)
    : path_(path), backup_(backupPath) {
  std::optional<UniqueHandle> file = openForReading(path);
  if (!file) failWin32(ERROR_FILE_NOT_FOUND, path);
  file_ = std::move(*file);
  // Attributes belong to the data, not to a name: a backup sharing a
  // read-only file's data would be read-only too and refuse every later
  // backup. Data that has another name already is something the user keeps
  // there, which must not become the backup.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(file_.get(), &info) && !(info.dwFileAttributes & ~kPlainAttributes) &&
      info.nNumberOfLinks == 1) {
    link_ = TemporaryFile::linkTo(backup_.folder, path, info);
  }
}

// Read through the open file, which the link was checked to name: the bytes
// are those the backup keeps.
ox::Bstr BackedUpRead::read() const { return readOpenFile(file_.get(), path_); }

void BackedUpRead::keep(std::string_view bytes) {
  if (link_) return moveIntoPlace(*link_, backup_.path, backup_.replaceable(true).has_value());
  const OxBytes piece{bytes.data(), bytes.size()};
  writeFileAtomically(backup_.path, &piece, 1, true);
}

}  // namespace oxs
