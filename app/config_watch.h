// Changes made to Privoxy's configuration file by anyone: another editor,
// Privoxy's installer, a restore from the .BAK, this program's own switch.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// While it lives, the main loop runs onChange after each change of a name,
// size or time of writing in the folder of `path`. A folder that cannot be
// watched is not: the icon then keeps what the last read found.
class ConfigWatch {
 public:
  ConfigWatch(const std::wstring& path, std::function<void()> onChange);
  ~ConfigWatch();
  ConfigWatch(const ConfigWatch&) = delete;
  ConfigWatch& operator=(const ConfigWatch&) = delete;

 private:
  HANDLE notification_ = nullptr;
};
