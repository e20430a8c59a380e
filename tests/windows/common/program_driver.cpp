#include "program_driver.h"

#include "registry_text.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

const wchar_t kSettingsKey[] = L"Software\\Oxlen\\Oxlen - Veilmark";
const wchar_t kSettingName[] = L"Privoxy config file";
const wchar_t kDialogClass[] = L"#32770";

BOOL CALLBACK collect(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

// Programs start on a desktop whose shell is up, as after a logon. Wine
// starts its shell with the desktop, now and then with the tray a moment
// later, and never announces the tray (TaskbarCreated): an icon added in
// between would stay unseen.
void waitForShellTray() {
  GetDesktopWindow();
  if (!waitUntil([] { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }))
    throw std::runtime_error("the shell's tray did not come");
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() > end) return false;
    Sleep(50);
  }
}

HWND waitFor(const std::function<HWND()>& find, DWORD ms) {
  HWND found = nullptr;
  waitUntil([&] { return (found = find()) != nullptr; }, ms);
  return found;
}

std::string narrow(const std::wstring& text) {
  std::string bytes(text.size() * 3, '\0');
  bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, nullptr));
  return bytes;
}

std::wstring testProgram() {
  wchar_t path[MAX_PATH];
  return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

std::wstring besideTests(const std::wstring& name) {
  const std::wstring program = testProgram();
  return program.substr(0, program.find_last_of(L'\\') + 1) + name;
}

std::wstring className(HWND window) {
  wchar_t name[128] = L"";
  GetClassNameW(window, name, 128);
  return name;
}

std::wstring textOf(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  text.resize(copied);
  return text;
}

std::vector<HWND> childrenOf(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND findChild(HWND parent, const std::wstring& windowClass, const std::wstring& text) {
  for (HWND child : childrenOf(parent))
    if (_wcsicmp(className(child).c_str(), windowClass.c_str()) == 0 && textOf(child) == text) return child;
  return nullptr;
}

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> all;
  EnumWindows(collect, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::vector<HWND> windowsOf(DWORD process) {
  std::vector<HWND> own;
  for (HWND window : topLevelWindows()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process) own.push_back(window);
  }
  return own;
}

HWND shownWindowOf(DWORD process, const std::wstring& windowClass) {
  for (HWND window : windowsOf(process))
    if (className(window) == windowClass && IsWindowVisible(window)) return window;
  return nullptr;
}

Program::Program(const std::wstring& path, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  waitForShellTray();
  // Wine now and then fails a process start outright (seen once in about a
  // thousand); a program that really cannot start fails all three tries.
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process_))
      break;
    const std::string failure = "the program does not start: error " + std::to_string(GetLastError());
    if (attempt == 3) throw std::runtime_error(failure);
    std::fprintf(stderr, "%s; trying again\n", failure.c_str());
    Sleep(200);
  }
  WaitForInputIdle(process_.hProcess, kWaitMs);
}

Program::~Program() {
  end();
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void Program::end() {
  if (waitForExit(0)) return;
  TerminateProcess(process_.hProcess, 99);
  waitForExit();
}

bool Program::waitForExit(DWORD ms) const { return WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0; }

DWORD Program::exitCode() const {
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

std::vector<HWND> Program::windows() const { return windowsOf(id()); }

HWND Program::findWindow(const std::wstring& windowClass, const std::wstring& caption) const {
  for (HWND window : windows())
    if (className(window) == windowClass && textOf(window) == caption) return window;
  return nullptr;
}

HWND Program::waitForWindow(const std::wstring& windowClass, const std::wstring& caption, DWORD ms) const {
  return waitFor([&] { return findWindow(windowClass, caption); }, ms);
}

HWND Program::focus(HWND window) const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

HWND Program::messageBox() const { return shownWindowOf(id(), kDialogClass); }

bool Program::hasDialogBox() const {
  for (HWND window : windows())
    if (className(window) == kDialogClass) return true;
  return false;
}

MessageBoxSeen Program::answerMessageBox(int button, DWORD ms) const {
  const HWND box = waitFor([&] { return messageBox(); }, ms);
  if (!box) throw std::runtime_error("no message box came");
  MessageBoxSeen seen{textOf(box), L""};
  for (HWND child : childrenOf(box))
    if (_wcsicmp(className(child).c_str(), L"Static") == 0 && !textOf(child).empty()) seen.text = textOf(child);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  waitUntil([&] { return !IsWindow(box); });
  return seen;
}

void pressKey(HWND control, WPARAM key) {
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  PostMessageW(control, WM_KEYDOWN, key, 1 | (scan << 16));
  PostMessageW(control, WM_KEYUP, key, 1 | (scan << 16) | (3u << 30));
}

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void clearSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

void storeSetting(DWORD type, const void* data, DWORD size) {
  if (RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kSettingName, type, data, size) != ERROR_SUCCESS)
    throw std::runtime_error("cannot store the setting");
}

void storeSetting(const std::wstring& path) {
  storeSetting(REG_SZ, path.c_str(), static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> readSetting() { return registryText(HKEY_CURRENT_USER, kSettingsKey, kSettingName); }
