// Windows' copies of files in its protected folders. A program without a
// manifest, Privoxy among them, that writes into a Program Files folder or
// the Windows folder writes a copy under the user's
// %LOCALAPPDATA%\VirtualStore instead, and from then on reads that copy.
#pragma once

#include <string>
#include <vector>

// Where the copy of `path` would be: `virtualStore` followed by `path` without
// its drive, when `path` names something inside one of `virtualisedFolders`;
// else empty. Full, backslashed paths; folders compare case-insensitively.
std::wstring virtualStoreCopy(const std::wstring& path, const std::vector<std::wstring>& virtualisedFolders,
                              const std::wstring& virtualStore);

// The file that Privoxy started by this user reads for the configuration
// file `configured`: its VirtualStore copy if there is one, else `configured`.
std::wstring ConfigFileInUse(const std::wstring& configured);
