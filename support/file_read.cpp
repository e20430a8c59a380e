#include "errors.h"
#include "file_io.h"
#include "handles.h"

namespace oxs {
namespace {

// A text larger than this could not be handed out as one string anyway.
constexpr ULONGLONG kLargestFile = 1ull << 30;

ox::Bstr byteString(const char* bytes, size_t size) {
  ox::Bstr out;
  *out.put() = SysAllocStringByteLen(bytes, static_cast<UINT>(size));
  if (!out.get()) fail(E_OUTOFMEMORY, L"");
  return out;
}

}  // namespace

std::optional<UniqueHandle> openForReading(const std::wstring& path) {
  for (int attempt = 1;; ++attempt) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    if (!isBusy(error) || attempt == kBusyAttempts) failWin32(error, path);
    Sleep(kBusyPauseMs);
  }
}

ox::Bstr readOpenFile(HANDLE file, const std::wstring& path) {
  LARGE_INTEGER size{};
  checkWin32(GetFileSizeEx(file, &size), path);
  if (static_cast<ULONGLONG>(size.QuadPart) > kLargestFile) failWin32(ERROR_FILE_TOO_LARGE, path);
  // Read straight into the string handed out: a growing buffer would hold a
  // large file twice. The file is read as long as it was when it was opened.
  ox::Bstr bytes = byteString(nullptr, static_cast<size_t>(size.QuadPart));
  char* const data = reinterpret_cast<char*>(bytes.get());
  size_t done = 0;
  while (done < bytes.bytes().size()) {
    DWORD read = 0;
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.bytes().size() - done, 1 << 24));
    checkWin32(ReadFile(file, data + done, piece, &read, nullptr), path);
    if (read == 0) return byteString(data, done);  // it shrank meanwhile
    done += read;
  }
  return bytes;
}

std::optional<ox::Bstr> readWholeFile(const std::wstring& path) {
  const std::optional<UniqueHandle> file = openForReading(path);
  if (!file) return std::nullopt;
  return readOpenFile(file->get(), path);
}

}  // namespace oxs
