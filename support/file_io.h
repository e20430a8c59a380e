// Whole-file reading and atomic replacing, the byte level under TextFile.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "oxlensupport.hpp"

namespace oxs {

// Another program (an editor, Privoxy, a virus scanner) may hold the file for
// a moment: such opens and renames are tried again a few times.
constexpr int kBusyAttempts = 10;
constexpr DWORD kBusyPauseMs = 50;
inline bool isBusy(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// The file's bytes, in a BSTR of bytes; nothing when it does not exist.
std::optional<ox::Bstr> readWholeFile(const std::wstring& path);

// Replaces (or creates) the file with `bytes` so that readers see either the
// old or the new file, never a part; the old file survives any failure and no
// temporary file is left behind. The new file keeps the old one's attributes
// and DACL, and its modification time, in whole seconds, is later than the
// old one's. The new content is the pieces one after another. Returns the
// number of bytes written.
size_t writeFileAtomically(const std::wstring& path, const OxBytes* pieces, size_t count, bool overwrite);

}  // namespace oxs
