#include "app/config_watch.h"

#include "runtime/message_loop.h"

#include "oxwin32.hpp"

#include <cstring>
#include <utility>

ConfigWatch::ConfigWatch(const std::wstring& path, std::function<void()> onChange) : path_(ox::fullPath(path)) {
  // The path as entered may be relative: its folder is the one a read finds.
  if (path_.empty()) return;
  const HANDLE notification =
      FindFirstChangeNotificationW(ox::folderOf(path_).c_str(), FALSE,
                                   FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
  if (notification == INVALID_HANDLE_VALUE) return;
  notification_ = notification;
  seen_ = look();
  runtime::setMainLoopWait(notification, [this, onChange = std::move(onChange)] {
    // Armed again before the file is looked at, so that a change made
    // meanwhile wakes the loop once more; a watch that cannot be armed would
    // never stop waking it, and ends.
    if (!FindNextChangeNotification(notification_)) runtime::setMainLoopWait(nullptr, nullptr);
    const WIN32_FILE_ATTRIBUTE_DATA now = look();
    if (std::memcmp(&now, &seen_, sizeof now) == 0) return;
    seen_ = now;
    // Last: the owner may end this watch in its call.
    onChange();
  });
}

ConfigWatch::~ConfigWatch() {
  if (!notification_) return;
  runtime::setMainLoopWait(nullptr, nullptr);
  FindCloseChangeNotification(notification_);
}

WIN32_FILE_ATTRIBUTE_DATA ConfigWatch::look() const {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) data = {};
  return data;
}
