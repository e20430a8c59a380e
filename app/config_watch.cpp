#include "app/config_watch.h"

#include "runtime/message_loop.h"

#include "oxwin32.hpp"

#include <utility>

ConfigWatch::ConfigWatch(const std::wstring& path, std::function<void()> onChange) {
  // The path as entered may be relative: its folder is the one a read finds.
  const std::wstring fullPath = ox::fullPath(path);
  if (fullPath.empty()) return;
  const HANDLE notification =
      FindFirstChangeNotificationW(ox::folderOf(fullPath).c_str(), FALSE,
                                   FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
  if (notification == INVALID_HANDLE_VALUE) return;
  notification_ = notification;
  runtime::setMainLoopWait(notification, [notification, onChange = std::move(onChange)] {
    // Armed again before the file is read, so that a change made meanwhile
    // wakes the loop once more; a watch that cannot be armed would never
    // stop waking it, and ends.
    if (!FindNextChangeNotification(notification)) runtime::setMainLoopWait(nullptr, nullptr);
    onChange();
  });
}

ConfigWatch::~ConfigWatch() {
  if (!notification_) return;
  runtime::setMainLoopWait(nullptr, nullptr);
  FindCloseChangeNotification(notification_);
}
