#include "errors.h"
#include "file_io.h"
#include "handles.h"

namespace oxs {
namespace {

// A text larger than this could not be handed out as one string anyway.
constexpr ULONGLONG kLargestFile = 1ull << 30;

}  // namespace

std::optional<std::string> readWholeFile(const std::wstring& path) {
  UniqueHandle file;
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 1;; ++attempt) {
    file.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() != INVALID_HANDLE_VALUE) break;
    error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    if (!isBusy(error) || attempt == kBusyAttempts) failWin32(error, path);
    Sleep(kBusyPauseMs);
  }
  std::string bytes;
  char chunk[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) failLastError(path);
    if (read == 0) return bytes;
    if (bytes.size() + read > kLargestFile) failWin32(ERROR_FILE_TOO_LARGE, path);
    bytes.append(chunk, read);
  }
}

}  // namespace oxs
