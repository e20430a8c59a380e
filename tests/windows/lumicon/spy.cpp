#include "spy.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <shlwapi.h>

#include <cstddef>
#include <cstring>
#include <memory>

#include "import_patch.h"
#include "oxlensupport.h"

namespace spy {

std::vector<ShellCall> calls;
std::vector<std::wstring> lines;
BOOL shellAnswer = TRUE;
unsigned refusedAdds = 0;
bool refusedAddsGetIn = false;
std::optional<bool> iconIn;
ShellVersion version = ShellVersion::Real;
std::function<bool(const std::wstring&)> failLine;
std::function<void()> duringShellCall;

void reset() {
  calls.clear();
  shellAnswer = TRUE;
  refusedAdds = 0;
  refusedAddsGetIn = false;
  iconIn.reset();
  version = ShellVersion::Real;
  failLine = nullptr;
  duringShellCall = nullptr;
}

std::vector<std::wstring> linesSince(size_t from) { return {lines.begin() + from, lines.end()}; }

}  // namespace spy

namespace {

template <class T>
T field(const std::vector<BYTE>& bytes, size_t offset) {
  T value{};
  if (offset + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

std::string text(const std::vector<BYTE>& bytes, size_t offset, size_t capacity) {
  if (offset + capacity > bytes.size()) return {};
  const char* start = reinterpret_cast<const char*>(bytes.data() + offset);
  return std::string(start, strnlen(start, capacity));
}

std::unique_ptr<ImportPatch> shellPatch, printPatch, procPatch;

BOOL WINAPI recordShellCall(DWORD message, PNOTIFYICONDATAA record) {
  const BYTE* start = reinterpret_cast<const BYTE*>(record);
  spy::calls.push_back({message, std::vector<BYTE>(start, start + record->cbSize), GetTickCount()});
  if (spy::duringShellCall) spy::duringShellCall();
  // An icon the shell is known to lack takes no modify; one it has, no add.
  if (message == NIM_DELETE) spy::iconIn = false;
  if (message == NIM_MODIFY && spy::iconIn == false) return FALSE;
  if (message != NIM_ADD) return spy::shellAnswer;
  if (spy::iconIn == true) return FALSE;
  if (spy::refusedAdds == 0) {
    spy::iconIn = spy::shellAnswer != FALSE;
    return spy::shellAnswer;
  }
  --spy::refusedAdds;
  spy::iconIn = spy::refusedAddsGetIn;
  return FALSE;
}

HRESULT WINAPI recordLine(LPCWSTR text) {
  if (spy::failLine && spy::failLine(text)) return E_FAIL;
  spy::lines.push_back(text);
  return reinterpret_cast<decltype(&oxDebugPrint)>(printPatch->original())(text);
}

template <DWORD major>
HRESULT CALLBACK versionOf(DLLVERSIONINFO* info) {
  info->dwMajorVersion = major;
  return S_OK;
}

HRESULT CALLBACK failingVersion(DLLVERSIONINFO*) { return E_FAIL; }

FARPROC WINAPI answerGetProcAddress(HMODULE module, LPCSTR name) {
  const auto real = reinterpret_cast<decltype(&GetProcAddress)>(procPatch->original());
  if (HIWORD(reinterpret_cast<UINT_PTR>(name)) == 0 || std::strcmp(name, "DllGetVersion") != 0)
    return real(module, name);
  switch (spy::version) {
    case ShellVersion::Missing: return nullptr;
    case ShellVersion::Failing: return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&failingVersion));
    case ShellVersion::Four: return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&versionOf<4>));
    case ShellVersion::Five: return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&versionOf<5>));
    default: return real(module, name);
  }
}

// Loads Lumicon.dll the way every host does, through COM by ProgID, keeps it
// loaded, and puts the recorders into its import table.
class LumiconHost : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Lumicon.SysTray", &clsid)) << "Lumicon is not registered";
    IUnknown* control = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                              reinterpret_cast<void**>(&control)));
    const HMODULE lumicon = GetModuleHandleW(L"Lumicon.dll");
    ASSERT_NE(lumicon, nullptr);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(lumicon, path, MAX_PATH);
    LoadLibraryW(path);
    control->Release();
    shellPatch = std::make_unique<ImportPatch>(lumicon, "shell32.dll", "Shell_NotifyIconA",
                                               reinterpret_cast<void*>(&recordShellCall));
    printPatch = std::make_unique<ImportPatch>(lumicon, "oxlensupport0100.dll", "oxDebugPrint",
                                               reinterpret_cast<void*>(&recordLine));
    procPatch = std::make_unique<ImportPatch>(lumicon, "kernel32.dll", "GetProcAddress",
                                              reinterpret_cast<void*>(&answerGetProcAddress));
  }
  void TearDown() override {
    procPatch.reset();
    printPatch.reset();
    shellPatch.reset();
    CoUninitialize();
  }
};

const auto* const host = ::testing::AddGlobalTestEnvironment(new LumiconHost);

}  // namespace

DWORD ShellCall::size() const { return field<DWORD>(bytes, offsetof(NOTIFYICONDATAA, cbSize)); }
HWND ShellCall::window() const { return field<HWND>(bytes, offsetof(NOTIFYICONDATAA, hWnd)); }
UINT ShellCall::id() const { return field<UINT>(bytes, offsetof(NOTIFYICONDATAA, uID)); }
UINT ShellCall::flags() const { return field<UINT>(bytes, offsetof(NOTIFYICONDATAA, uFlags)); }
UINT ShellCall::callbackMessage() const { return field<UINT>(bytes, offsetof(NOTIFYICONDATAA, uCallbackMessage)); }
HICON ShellCall::icon() const { return field<HICON>(bytes, offsetof(NOTIFYICONDATAA, hIcon)); }
std::string ShellCall::tip() const {
  return text(bytes, offsetof(NOTIFYICONDATAA, szTip), size() < NOTIFYICONDATAA_V2_SIZE ? 64 : 128);
}
std::string ShellCall::info() const { return text(bytes, offsetof(NOTIFYICONDATAA, szInfo), 256); }
UINT ShellCall::timeout() const { return field<UINT>(bytes, offsetof(NOTIFYICONDATAA, uTimeout)); }
std::string ShellCall::infoTitle() const { return text(bytes, offsetof(NOTIFYICONDATAA, szInfoTitle), 64); }
DWORD ShellCall::infoFlags() const { return field<DWORD>(bytes, offsetof(NOTIFYICONDATAA, dwInfoFlags)); }

bool ShellCall::restIsZero() const {
  std::vector<BYTE> expected(bytes.size(), 0);
  auto place = [&](size_t offset, const void* value, size_t length) {
    if (offset + length <= expected.size()) std::memcpy(expected.data() + offset, value, length);
  };
  const DWORD cb = size();
  const HWND hwnd = window();
  const UINT uid = id(), uflags = flags(), callback = callbackMessage(), time = timeout();
  const HICON hicon = icon();
  const DWORD kind = infoFlags();
  place(offsetof(NOTIFYICONDATAA, cbSize), &cb, sizeof cb);
  place(offsetof(NOTIFYICONDATAA, hWnd), &hwnd, sizeof hwnd);
  place(offsetof(NOTIFYICONDATAA, uID), &uid, sizeof uid);
  place(offsetof(NOTIFYICONDATAA, uFlags), &uflags, sizeof uflags);
  place(offsetof(NOTIFYICONDATAA, uCallbackMessage), &callback, sizeof callback);
  place(offsetof(NOTIFYICONDATAA, hIcon), &hicon, sizeof hicon);
  const std::string tipText = tip(), infoText = info(), titleText = infoTitle();
  place(offsetof(NOTIFYICONDATAA, szTip), tipText.data(), tipText.size());
  place(offsetof(NOTIFYICONDATAA, szInfo), infoText.data(), infoText.size());
  place(offsetof(NOTIFYICONDATAA, uTimeout), &time, sizeof time);
  place(offsetof(NOTIFYICONDATAA, szInfoTitle), titleText.data(), titleText.size());
  place(offsetof(NOTIFYICONDATAA, dwInfoFlags), &kind, sizeof kind);
  return expected == bytes;
}
