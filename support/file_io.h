// Whole-file reading and atomic replacing, the byte level under TextFile.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace oxs {

// Another program (an editor, Privoxy, a virus scanner) may hold the file for
// a moment: such opens and renames are tried again a few times.
constexpr int kBusyAttempts = 10;
constexpr DWORD kBusyPauseMs = 50;
inline bool isBusy(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// The file's bytes; nothing when it does not exist.
std::optional<std::string> readWholeFile(const std::wstring& path);

// Replaces (or creates) the file with `bytes` so that readers see either the
// old or the new file, never a part; the old file survives any failure and no
// temporary file is left behind. The new file keeps the old one's attributes
// and DACL, and its modification time, in whole seconds, is later than the
// old one's. Returns the number of bytes written.
size_t writeFileAtomically(const std::wstring& path, const std::string& bytes, bool overwrite);

}  // namespace oxs
