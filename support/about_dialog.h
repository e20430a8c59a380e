// The modal About box, built from an in-memory dialog template.
#pragma once

#include <windows.h>

#include <string>

namespace oxs {

struct AboutContent {
  std::wstring caption;
  std::wstring title;
  std::wstring version;
  std::wstring description;
  std::wstring dedication;
  HICON icon;  // may be nullptr
};

// Returns the DialogBox result (IDOK).
INT_PTR showAboutDialog(HWND owner, const AboutContent& content);

}  // namespace oxs
