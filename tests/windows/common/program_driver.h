// Runs a Windows program and works it from outside as a user would: finds
// its windows, reads their texts, presses keys and buttons, answers its
// message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

constexpr DWORD kWaitMs = 15000;

// Polls until the condition holds or the time is up; the last answer.
bool waitUntil(const std::function<bool()>& condition, DWORD ms = kWaitMs);
// Polls until find gives a window; that window, or nullptr when the time is up.
HWND waitFor(const std::function<HWND()>& find, DWORD ms = kWaitMs);

// Path of the running test program, and of a file beside it.
std::wstring testProgram();
std::wstring besideTests(const std::wstring& name);

// UTF-8, for failure messages.
std::string narrow(const std::wstring& text);

std::wstring className(HWND window);
// The text through WM_GETTEXT, which crosses process boundaries.
std::wstring textOf(HWND window);
std::vector<HWND> childrenOf(HWND window);
// The child of that class and text, else nullptr.
HWND findChild(HWND parent, const std::wstring& windowClass, const std::wstring& text);

// Top-level windows, hidden ones too: all of them, and those of one process.
std::vector<HWND> topLevelWindows();
std::vector<HWND> windowsOf(DWORD process);
// The process's shown top-level window of that class, or nullptr.
HWND shownWindowOf(DWORD process, const std::wstring& windowClass);

struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
};

class Program {
 public:
  explicit Program(const std::wstring& path, const std::wstring& arguments = L"");
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD id() const { return process_.dwProcessId; }
  bool waitForExit(DWORD ms = kWaitMs) const;
  // The exit code once it has ended; STILL_ACTIVE while it runs.
  DWORD exitCode() const;
  // Ends it at once should it still run (a test that failed midway).
  void end();

  // Top-level windows of this process, hidden ones too.
  std::vector<HWND> windows() const;
  // Its top-level window of that class and caption, waiting for it to come.
  HWND waitForWindow(const std::wstring& windowClass, const std::wstring& caption, DWORD ms = kWaitMs) const;
  HWND findWindow(const std::wstring& windowClass, const std::wstring& caption) const;
  // The control that has the keyboard focus in the program's window thread.
  HWND focus(HWND window) const;

  // Its shown dialog box (a message box, say), or nullptr.
  HWND messageBox() const;
  // Whether it has a dialog box at all, shown or hidden.
  bool hasDialogBox() const;
  // Waits for a message box, reads it and presses the button (IDOK, IDYES...).
  MessageBoxSeen answerMessageBox(int button = IDOK, DWORD ms = kWaitMs) const;

 private:
  PROCESS_INFORMATION process_ = {};
};

// A key pressed and released on the focused control.
void pressKey(HWND control, WPARAM key);
// A button click that does not wait for what the click starts.
void click(HWND button);

// The stored setting "Privoxy config file" of Veilmark.
void clearSettings();
void storeSetting(DWORD type, const void* data, DWORD size);
void storeSetting(const std::wstring& path);
// Nothing when nothing is stored.
std::optional<std::wstring> readSetting();
