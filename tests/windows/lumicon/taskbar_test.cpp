// The taskbar hook: its diagnostic lines, the hidden hook windows, the
// recovery after a taskbar restart or a refused add, and window procedures
// that never let a failure escape.
#include <gtest/gtest.h>

#include <thread>

#include "host.h"
#include "import_patch.h"
#include "spy.h"

namespace {

const UINT kTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

class TaskbarTest : public SpiedTest {
 protected:
  ox::Ptr<TestSite> site(bool userMode, const wchar_t* name) {
    ox::Ptr<TestSite> made(new TestSite(userMode, name));
    made->Release();
    return made;
  }
};

BOOL CALLBACK collectHookWindow(HWND window, LPARAM list) {
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  if (std::wstring(caption) == L"Taskbar hook window") reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> hookWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), &collectHookWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST_F(TaskbarTest, HookLinesFollowTheLifecycle) {
  size_t from = spy::lines.size();
  HWND window = nullptr;
  {
    const Control control = createControl(site(true, L"stMain").get(), true);
    window = control.window;
    const std::vector<std::wstring> hooked = {
        L"SysTray::Initialize() ==> hWnd = " + hexOf(window),
        L"SysTray::HookTaskbar() ==> We're in run mode!",
        L"frmTaskbarHook::Subclass() ==> hWndSysTray = " + hexOf(window),
        L"SysTray::HookTaskbar() ==> Hooked! Name = stMain",
    };
    EXPECT_EQ(spy::linesSince(from), hooked);
    const std::vector<HWND> hooks = hookWindows();
    ASSERT_EQ(hooks.size(), 1u);
    EXPECT_EQ(GetParent(hooks[0]), nullptr);
    EXPECT_FALSE(IsWindowVisible(hooks[0]));
    from = spy::lines.size();
    ASSERT_HRESULT_SUCCEEDED(control.as<IPersistStreamInit>()->InitNew());
    const std::vector<std::wstring> again = {L"SysTray::HookTaskbar() ==> We're in run mode!",
                                             L"SysTray::HookTaskbar() ==> Already hooked! Name = stMain"};
    EXPECT_EQ(spy::linesSince(from), again);
    EXPECT_EQ(hookWindows().size(), 1u);
    control.show(true);
    from = spy::lines.size();
    spy::calls.clear();
  }
  const std::vector<std::wstring> terminated = {
      L"SysTray::Terminate() ==> hWnd = " + hexOf(window),
      L"SysTray::UnhookTaskbar() ==> We're in run mode!",
      L"frmTaskbarHook::Unsubclass()",
      L"SysTray::UnhookTaskbar() ==> Unhooked! Name = stMain",
  };
  EXPECT_EQ(spy::linesSince(from), terminated);
  EXPECT_TRUE(hookWindows().empty());
  ASSERT_EQ(spy::calls.size(), 1u);
  EXPECT_EQ(spy::calls[0].message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TaskbarTest, DesignModeHooksNothing) {
  const size_t from = spy::lines.size();
  {
    const Control control = createControl(site(false, L"stMain").get(), true);
    EXPECT_TRUE(hookWindows().empty());
  }
  const std::vector<std::wstring> lines = spy::linesSince(from);
  ASSERT_EQ(lines.size(), 2u);  // Initialize and Terminate only
  EXPECT_EQ(lines[1].substr(0, 22), L"SysTray::Terminate() =");
}

TEST_F(TaskbarTest, RestartReaddsEveryShownIcon) {
  const ox::Ptr<IPictureDisp> icon = iconPicture();
  const Control first = createControl(site(true, L"stFirst").get(), true);
  const Control second = createControl(site(true, L"stSecond").get(), true);
  const Control hidden = createControl(site(true, L"stHidden").get(), true);
  first.caption(L"first");
  first.icon(icon.get());
  first.show(true);
  second.caption(L"second");
  second.show(true);
  ox::Ptr<EventSink> sink(new EventSink);
  sink->Release();
  first.advise(sink.get(), DIID___SysTray);
  const std::vector<HWND> hooks = hookWindows();
  ASSERT_EQ(hooks.size(), 3u);
  spy::calls.clear();
  const size_t from = spy::lines.size();
  for (HWND hook : hooks) PostMessageW(hook, kTaskbarCreated, 0, 0);
  pumpMessages();

  std::vector<std::wstring> lines = spy::linesSince(from);
  for (const Control* control : {&first, &second, &hidden}) {
    const std::wstring hookLine = L"HookWindowProc() ==> WM_TASKBAR_CREATED, hWnd = " + hexOf(control->window);
    const std::wstring subLine = L"SubWndProc() ==> WM_TASKBAR_CREATED, hWnd = " + hexOf(control->window);
    const auto hookAt = std::find(lines.begin(), lines.end(), hookLine);
    const auto subAt = std::find(lines.begin(), lines.end(), subLine);
    EXPECT_NE(hookAt, lines.end());
    if (control == &hidden) {
      EXPECT_EQ(subAt, lines.end());
      continue;
    }
    EXPECT_LT(hookAt, subAt);
  }
  ASSERT_EQ(spy::calls.size(), 4u);
  for (const Control* control : {&first, &second}) {
    std::vector<const ShellCall*> own;
    for (const ShellCall& call : spy::calls)
      if (call.window() == control->window) own.push_back(&call);
    ASSERT_EQ(own.size(), 2u);
    EXPECT_EQ(own[0]->message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(own[1]->message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(own[1]->tip(), control == &first ? "first" : "second");
    EXPECT_EQ(own[1]->icon(), control == &first ? handleOf(icon.get()) : nullptr);
  }
  SendMessageW(first.window, 0x445, 0, WM_LBUTTONUP);
  EXPECT_EQ(sink->raised.size(), 1u);
}

// The registered number is per thread: a fresh thread starts with 0, and 0
// must never count as a restart there.
TEST_F(TaskbarTest, MessageZeroIsNoRestart) {
  std::vector<ShellCall> seen;
  std::thread([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
      const Control control = createControl();
      control.show(true);
      spy::calls.clear();
      SendMessageW(control.window, WM_NULL, 0, 0);
      seen = spy::calls;
    }
    CoUninitialize();
  }).join();
  EXPECT_TRUE(seen.empty());
}

// Loading skips a failing hook as it skips every other failing step.
TEST_F(TaskbarTest, FailingHookDoesNotFailLoading) {
  ox::Ptr<TestBag> bag(new TestBag);
  bag->Release();
  const Control control = createControl(site(true, L"stMain").get());
  spy::failLine = [](const std::wstring& line) { return line == L"SysTray::HookTaskbar() ==> We're in run mode!"; };
  EXPECT_HRESULT_SUCCEEDED(control.as<IPersistPropertyBag>()->Load(bag.get(), nullptr));
  spy::failLine = nullptr;
}

HWND WINAPI refuseWindow(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

// The hook window is made by the form layer inside the library: a failure
// there reaches the host with Windows' own status and text.
TEST_F(TaskbarTest, HookWindowFailureKeepsItsStatusAndText) {
  const Control control = createControl(site(true, L"stMain").get());
  const ImportPatch refuse(GetModuleHandleW(L"Lumicon.dll"), "user32.dll", "CreateWindowExW",
                           reinterpret_cast<void*>(&refuseWindow));
  EXPECT_EQ(control.as<IPersistStreamInit>()->InitNew(), HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY));
  ox::Ptr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  ox::Bstr description;
  ASSERT_HRESULT_SUCCEEDED(info->GetDescription(description.put()));
  EXPECT_EQ(description.str(), ox::systemText(HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY)));
}

TEST_F(TaskbarTest, FailureInsideTheProcedureBecomesALine) {
  const Control control = createControl(site(true, L"stMain").get(), true);
  PassedOn passedOn(control.window);
  control.show(true);
  passedOn.messages.clear();
  spy::calls.clear();
  spy::failLine = [](const std::wstring& line) { return line.rfind(L"SubWndProc() ==> WM_TASKBAR", 0) == 0; };
  const size_t from = spy::lines.size();
  SendMessageW(control.window, kTaskbarCreated, 0, 0);
  spy::failLine = nullptr;
  const std::vector<std::wstring> lines = spy::linesSince(from);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind(L"SubWndProc() ==> Error 0x80004005", 0), 0u) << std::string(lines[0].begin(), lines[0].end());
  EXPECT_EQ(passedOn.messages, std::vector<UINT>{kTaskbarCreated});
  EXPECT_TRUE(spy::calls.empty());
  control.show(false);
}

// What happens meanwhile, `actAt` ms after the first add.
enum class Meanwhile { Nothing, Hide, Restart };

struct RetryRow {
  const char* name;
  unsigned refused;  // adds the shell turns away first
  Meanwhile act;
  DWORD actAt;
  DWORD watch;                // ms of messages pumped after the first add
  std::vector<DWORD> addsAt;  // ms after the first add, one per NIM_ADD
  bool retrying;              // the retry timer still runs at the end
  bool gotIn = false;         // the refused adds got the icon in all the same
};

const RetryRow kRetryRows[] = {
    {"taken at once: no timer", 0, Meanwhile::Nothing, 0, 1300, {0}, false},
    {"one refusal: taken after 1 s", 1, Meanwhile::Nothing, 0, 2500, {0, 1000}, false},
    {"two refusals: 1 s, then 2 s", 2, Meanwhile::Nothing, 0, 3700, {0, 1000, 3000}, false},
    {"hidden while refused: no more adds", 100, Meanwhile::Hide, 1500, 3500, {0, 1000}, false},
    {"restart while refused: at once, then 1 s", 100, Meanwhile::Restart, 500, 2000, {0, 500, 1500}, true},
    {"restart taken: no more adds", 1, Meanwhile::Restart, 500, 2000, {0, 500}, false},
    {"refused, yet got in: the retry finds it there", 1, Meanwhile::Nothing, 0, 2500, {0}, false, true},
};

TEST_F(TaskbarTest, RefusedAddIsTriedAgainEverLater) {
  for (const RetryRow& row : kRetryRows) {
    SCOPED_TRACE(row.name);
    spy::reset();
    spy::refusedAdds = row.refused;
    spy::refusedAddsGetIn = row.gotIn;
    const Control control = createControl(site(true, L"stMain").get(), true);
    control.show(true);
    ASSERT_EQ(spy::calls.size(), 1u);
    const DWORD start = spy::calls[0].at;
    bool acted = row.act == Meanwhile::Nothing;
    for (DWORD now = 0; now < row.watch; now = GetTickCount() - start) {
      if (!acted && now >= row.actAt) {
        acted = true;
        if (row.act == Meanwhile::Hide)
          control.show(false);
        else
          SendMessageW(control.window, kTaskbarCreated, 0, 0);
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      pumpMessages();
    }
    EXPECT_EQ(control.visible(), row.act != Meanwhile::Hide);
    EXPECT_EQ(KillTimer(control.window, 1) != FALSE, row.retrying);  // 1: the control's retry timer
    std::vector<DWORD> addsAt;
    for (const ShellCall& call : spy::calls)
      if (call.message == NIM_ADD) addsAt.push_back(call.at - start);
    ASSERT_EQ(addsAt.size(), row.addsAt.size());
    for (size_t i = 0; i < addsAt.size(); ++i) {
      EXPECT_GE(addsAt[i] + 100, row.addsAt[i]) << "add " << i;
      EXPECT_LE(addsAt[i], row.addsAt[i] + 600) << "add " << i;
    }
  }
}

}  // namespace
