#include <windows.h>
#include <aclapi.h>

#include <atomic>

#include "errors.h"
#include "oxwin32.hpp"
#include "file_io.h"
#include "text_helpers.h"

namespace oxs {
namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000;
// Attributes a new file can take over from the file it replaces.
constexpr DWORD kCopiedAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

ULONGLONG ticks(const FILETIME& time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

// The full path a file operation would use; a path that has none fails.
std::wstring fullPath(const std::wstring& path) {
  const std::wstring full = ox::fullPath(path);
  checkWin32(!full.empty(), path);
  return full;
}

// The same full path in the form that Windows does not limit to MAX_PATH
// characters: the temporary name beside a file whose own path just fits
// would not fit otherwise.
std::wstring longPathForm(const std::wstring& full) {
  if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

const wchar_t kTemporaryStart[] = L"~veilmark-";
// The start of the temporary names of earlier versions, also 16 digits before ".tmp".
const wchar_t kEarlierTemporaryStart[] = L"~ox";
const wchar_t kTemporaryEnd[] = L".tmp";
constexpr size_t kTemporaryDigits = 16;

bool isTemporaryName(const std::wstring& name) {
  for (const std::wstring start : {kTemporaryStart, kEarlierTemporaryStart}) {
    const size_t end = start.size() + kTemporaryDigits;
    if (name.size() == end + 4 && !name.compare(0, start.size(), start) &&
        !_wcsicmp(name.c_str() + end, kTemporaryEnd) &&
        name.find_first_not_of(L"0123456789ABCDEFabcdef", start.size()) == end) {
      return true;
    }
  }
  return false;
}

}  // namespace

template <class Make>
DWORD TemporaryFile::makeUnique(const std::wstring& folder, Make make) {
  static std::atomic<unsigned> counter{0};
  const std::wstring start = longPathForm(folder) + L"\\" + kTemporaryStart + hexEx4(GetCurrentProcessId());
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = start + hexEx4(GetTickCount() + counter++) + kTemporaryEnd;
    const DWORD error = make();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
  }
  return ERROR_FILE_EXISTS;
}

TemporaryFile::TemporaryFile(const std::wstring& folder) {
  const DWORD error = makeUnique(folder, [&] {
    // Sharing delete only: the rename into place must work while it is open.
    handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC, FILE_SHARE_DELETE,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle_ != INVALID_HANDLE_VALUE ? ERROR_SUCCESS : GetLastError();
  });
  if (error != ERROR_SUCCESS) failWin32(error, error == ERROR_FILE_EXISTS ? path_ : folder);
}

std::unique_ptr<TemporaryFile> TemporaryFile::linkTo(const std::wstring& folder, const std::wstring& sourcePath,
                                                     const BY_HANDLE_FILE_INFORMATION& source) {
  const std::wstring sourceName = longPathForm(fullPath(sourcePath));
  std::unique_ptr<TemporaryFile> link(new TemporaryFile);
  const DWORD error = link->makeUnique(folder, [&] {
    return CreateHardLinkW(link->path_.c_str(), sourceName.c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
  });
  if (error != ERROR_SUCCESS) return nullptr;
  // Attributes only: asking for delete access would fail while another
  // program has the source open without delete sharing. The link is then
  // closed, and moved or deleted by its name.
  link->handle_ = CreateFileW(link->path_.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (link->handle_ == INVALID_HANDLE_VALUE) {
    DeleteFileW(link->path_.c_str());
    return nullptr;
  }
  // The source's name may have been given to another file since it was opened.
  BY_HANDLE_FILE_INFORMATION linked{};
  if (!GetFileInformationByHandle(link->handle_, &linked) ||
      linked.dwVolumeSerialNumber != source.dwVolumeSerialNumber || linked.nFileIndexHigh != source.nFileIndexHigh ||
      linked.nFileIndexLow != source.nFileIndexLow) {
    return nullptr;
  }
  link->close();
  return link;
}

void TemporaryFile::close() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  closed_ = true;
}

TemporaryFile::~TemporaryFile() {
  if (!moved_ && handle_ != INVALID_HANDLE_VALUE) {
    FILE_DISPOSITION_INFO dispose{TRUE};
    if (SetFileInformationByHandle(handle_, FileDispositionInfo, &dispose, sizeof dispose)) {
      close();
      return;
    }
  }
  const bool named = handle_ != INVALID_HANDLE_VALUE || closed_;
  close();
  if (!moved_ && named) DeleteFileW(path_.c_str());
}

namespace {

void writeBytes(const TemporaryFile& file, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    checkWin32(WriteFile(file.handle(), bytes.data() + done, piece, &written, nullptr), file.path());
    done += written;
  }
}

// Short pieces are gathered first: a file of many short lines would
// otherwise take a system call for each of them.
size_t writeAll(const TemporaryFile& file, const OxBytes* pieces, size_t count) {
  constexpr size_t kGathered = 1 << 16;
  std::string gathered;
  size_t total = 0;
  for (const OxBytes* piece = pieces; piece != pieces + count; ++piece) {
    const std::string_view bytes(piece->data, piece->size);
    total += bytes.size();
    if (gathered.size() + bytes.size() > kGathered) {
      writeBytes(file, gathered);
      gathered.clear();
    }
    if (bytes.size() > kGathered) writeBytes(file, bytes);
    else gathered += bytes;
  }
  writeBytes(file, gathered);
  checkWin32(FlushFileBuffers(file.handle()), file.path());
  return total;
}

// Best effort: a file system without ACLs simply keeps the folder's defaults.
void copyDacl(const std::wstring& from, const TemporaryFile& to) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(longPathForm(from).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (dacl && GetSecurityDescriptorControl(descriptor, &control, &revision)) {
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    SetSecurityInfo(to.handle(), SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
  }
  LocalFree(descriptor);
}

// Takes over the old file's attributes and makes sure the modification time
// moves on by at least one whole second: Privoxy notices a changed
// configuration by its Unix time stamp.
void stampLikeOldFile(const TemporaryFile& file, const WIN32_FILE_ATTRIBUTE_DATA& old) {
  FILETIME written;
  checkWin32(GetFileTime(file.handle(), nullptr, nullptr, &written), file.path());
  FILE_BASIC_INFO info{};
  info.FileAttributes = old.dwFileAttributes & kCopiedAttributes;
  info.CreationTime.QuadPart = static_cast<LONGLONG>(ticks(old.ftCreationTime));
  const ULONGLONG oldWrite = ticks(old.ftLastWriteTime);
  if (ticks(written) / kTicksPerSecond <= oldWrite / kTicksPerSecond) {
    info.LastWriteTime.QuadPart = static_cast<LONGLONG>(oldWrite + kTicksPerSecond);
  }
  checkWin32(SetFileInformationByHandle(file.handle(), FileBasicInfo, &info, sizeof info), file.path());
}

}  // namespace

bool inUse(const std::wstring& path) {
  const UniqueHandle file(CreateFileW(longPathForm(fullPath(path)).c_str(), DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
  return file.get() == INVALID_HANDLE_VALUE && isBusy(GetLastError());
}

void moveIntoPlace(TemporaryFile& file, const std::wstring& target, bool replace) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(file.path().c_str(), longPathForm(target).c_str(), flags)) {
      file.markMoved();
      return;
    }
    const DWORD error = GetLastError();
    // A reader without delete sharing shows up as access denied as well.
    if ((!isBusy(error) && error != ERROR_ACCESS_DENIED) || attempt == kBusyAttempts) {
      failWin32(error == ERROR_ACCESS_DENIED && inUse(target) ? ERROR_SHARING_VIOLATION : error, target);
    }
    Sleep(kBusyPauseMs);
  }
}

void removeLeftovers(const std::wstring& folder) {
  // Not made full again: that would turn a root's "C:" into the drive's current folder.
  const std::wstring start = longPathForm(folder) + L"\\";
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((start + L"~*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // Ours are plain files: a symbolic link under such a name is not, and
    // opening it would delete what it points to.
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        !isTemporaryName(found.cFileName)) {
      continue;
    }
    // Opened for no one else: a write still running holds its file (or, for
    // a backup link, the same data under the file's own name) open.
    // Deleted as it is closed, at once.
    UniqueHandle(CreateFileW((start + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

Target::Target(const std::wstring& name) : path(fullPath(name)) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) failWin32(ERROR_INVALID_NAME, name);
  folder = path.substr(0, slash);
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Target::replaceable(bool overwrite) const {
  const DWORD folderAttributes = GetFileAttributesW((longPathForm(folder) + L"\\").c_str());
  if (folderAttributes == INVALID_FILE_ATTRIBUTES || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    failWin32(ERROR_PATH_NOT_FOUND, folder);
  }
  WIN32_FILE_ATTRIBUTE_DATA old{};
  if (!GetFileAttributesExW(longPathForm(path).c_str(), GetFileExInfoStandard, &old)) {
    checkWin32(GetLastError() == ERROR_FILE_NOT_FOUND, path);
    return std::nullopt;
  }
  if (!overwrite) failWin32(ERROR_FILE_EXISTS, path);
  if (old.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) failWin32(ERROR_DIRECTORY, path);
  // Replacing a read-only file would quietly defeat its protection.
  if (old.dwFileAttributes & FILE_ATTRIBUTE_READONLY) failWin32(ERROR_ACCESS_DENIED, path);
  return old;
}

size_t writeFileAtomically(const std::wstring& path, const OxBytes* pieces, size_t count, bool overwrite) {
  const Target target(path);
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> old = target.replaceable(overwrite);
  TemporaryFile file(target.folder);
  const size_t written = writeAll(file, pieces, count);
  if (old) {
    copyDacl(target.path, file);
    stampLikeOldFile(file, *old);
  }
  moveIntoPlace(file, target.path, old.has_value());
  return written;
}

}  // namespace oxs
