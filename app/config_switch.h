// The switch's work on the configuration file alone: read it, keep a ".BAK"
// copy of what it held, write it back for the wanted state. Shared by the
// tray's switch and the switch command that runs with administrator rights;
// it reports nothing, so that each caller tells its user its own way.
#pragma once

#include "oxerror.hpp"

#include <optional>
#include <string>

// The step of a switch that failed on a file, and why.
struct SwitchFailure {
  enum Step { Read, Backup, Save } step;
  std::wstring file;  // the one read or written
  ox::Error error;
};

std::optional<SwitchFailure> RewriteConfigFile(const std::wstring& path, bool enable);
