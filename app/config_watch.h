// Changes made to Privoxy's configuration file by anyone: another editor,
// Privoxy's installer, a restore from the .BAK, this program's own switch.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// While it lives, the main loop runs onChange after each change of the file
// at `path`: its name, size or time of writing. Changes to other files of its
// folder (Privoxy's log beside it, say) wake the loop but call nothing. A
// folder that cannot be watched is not: the icon then keeps what the last read
// found.
class ConfigWatch {
 public:
  ConfigWatch(const std::wstring& path, std::function<void()> onChange);
  ~ConfigWatch();
  ConfigWatch(const ConfigWatch&) = delete;
  ConfigWatch& operator=(const ConfigWatch&) = delete;

 private:
  // What a look at the file tells without opening it; all zero while it is gone.
  WIN32_FILE_ATTRIBUTE_DATA look() const;

  std::wstring path_;
  HANDLE notification_ = nullptr;
  WIN32_FILE_ATTRIBUTE_DATA seen_ = {};
};
