#include <gtest/gtest.h>

#include "support_test_host.h"

using namespace support_test;

namespace {

constexpr wchar_t kTitle[] = L"Oxlen - SupportTest";

// The runtime's hidden application window, as the runtime makes it.
class AppWindow {
 public:
  AppWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = OX_APP_WINDOW_CLASS;
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, OX_APP_WINDOW_CLASS, kTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  }
  AppWindow(const AppWindow&) = delete;
  AppWindow& operator=(const AppWindow&) = delete;
  ~AppWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// Waits on its own thread for the next dialog box of this process, notes its
// caption and the texts of some of its controls, and presses OK.
class DialogWatcher {
 public:
  explicit DialogWatcher(std::vector<int> controls) : controls_(std::move(controls)) {
    thread_ = CreateThread(nullptr, 0, watch, this, 0, nullptr);
  }
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;
  ~DialogWatcher() {
    join();
    CloseHandle(thread_);
  }
  void join() { WaitForSingleObject(thread_, 20000); }
  std::wstring caption;
  std::vector<std::wstring> texts;

 private:
  static DWORD WINAPI watch(void* parameter) {
    auto* self = static_cast<DialogWatcher*>(parameter);
    const HWND dialog = waitFor([] { return shownWindowOf(GetCurrentProcessId(), L"#32770"); }, 10000);
    if (!dialog) return 1;
    Sleep(200);  // let it finish WM_INITDIALOG
    self->caption = textOf(dialog);
    for (int id : self->controls_) self->texts.push_back(textOf(GetDlgItem(dialog, id)));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return 0;
  }

  std::vector<int> controls_;
  HANDLE thread_;
};

TEST(Windows, ApplicationWindowAndItsIcons) {
  AppWindow app;
  HWND found = nullptr;
  ox::check(oxGetThunderMainHandle(&found));
  EXPECT_EQ(found, app.get());
  ox::check(oxSetWindowResIconAll(app.get(), L"A_MAIN"));
  EXPECT_NE(SendMessageW(app.get(), WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(app.get(), WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_TRUE(FAILED(oxSetWindowResIconAll(app.get(), L"NO_SUCH_ICON")));
  ox::check(oxUnloadForm(app.get()));
  EXPECT_FALSE(IsWindow(app.get())) << "WM_CLOSE reached the window";
  EXPECT_TRUE(FAILED(oxGetThunderMainHandle(&found)));
}

TEST(Windows, CenterAndHighlight) {
  HWND window = CreateWindowExW(0, L"EDIT", L"some text", WS_POPUP | WS_VISIBLE, 0, 0, 300, 120, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  LONG result = 0;
  ox::check(oxCenterFormEx(window, &result));
  RECT bounds, work;
  GetWindowRect(window, &bounds);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((bounds.left + bounds.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((bounds.top + bounds.bottom) / 2, (work.top + work.bottom) / 2, 1);
  ox::check(oxHighlightText(window));
  DWORD start = 1, end = 0;
  SendMessageW(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 9u);
  ox::check(oxSetForegroundWindowEx(window, &result));
  DestroyWindow(window);
  EXPECT_TRUE(FAILED(oxCenterFormEx(window, &result)));
}

TEST(Dialogs, ErrorBoxShowsMessageNumberAndDescription) {
  AppWindow app;
  auto dialogs = ox::create(oxCreateMessageDialogs);
  const struct {
    LONG number;
    const wchar_t* expected;
  } cases[] = {
      {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), L"Сообщение\n\nОшибка 0x80070002: нет файла"},
      {53, L"Сообщение\n\nОшибка 53: нет файла"},
  };
  for (const auto& c : cases) {
    LONG result = 0;
    DialogWatcher watcher({0xFFFF});
    ox::check(dialogs->ShowError(c.number, L"нет файла", 16, nullptr, L"Сообщение", 0, &result));
    watcher.join();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(watcher.caption, kTitle) << "the application window's caption";
    ASSERT_EQ(watcher.texts.size(), 1u);
    EXPECT_EQ(watcher.texts[0], c.expected) << narrow(watcher.texts[0]);
  }
}

TEST(Dialogs, AboutBoxShowsTheApplication) {
  TestApplication app;
  auto dialogs = ox::create(oxCreateMessageDialogs);
  DialogWatcher watcher({101, 102, 103, 104});
  LONG result = 0;
  ox::check(dialogs->ShowAbout(nullptr, &app, L"Первая строка\nвторая", nullptr, L"Тамсель", &result));
  watcher.join();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(watcher.caption, L"О программе Veilmark");
  const std::vector<std::wstring> expected = {L"Veilmark", L"Версия 1.0.0", L"Первая строка\r\nвторая", L"Тамсель"};
  EXPECT_EQ(watcher.texts, expected);
}

// The dialog's library comes with the first dialog, not with the support library.
TEST(Dialogs, OpenDialogLoadsItsLibraryAndGivesTheChosenFile) {
  EXPECT_EQ(GetModuleHandleW(L"comdlg32.dll"), nullptr);
  const TempFolder folder;
  const std::wstring file = folder.file(L"config.txt");
  writeBytes(file, "");
  auto dialog = ox::create(oxCreateFileDialog);
  ox::check(dialog->put_InitialFileName(file.c_str()));
  ox::check(dialog->put_Filter(L"Privoxy config|config.txt|Все файлы|*.*"));
  DialogWatcher watcher({});
  VARIANT_BOOL chosen = VARIANT_FALSE;
  ox::check(dialog->ShowOpen(&chosen));
  watcher.join();
  EXPECT_TRUE(ox::isTrue(chosen));
  ox::Bstr name;
  EXPECT_EQ(ox::text(dialog->get_FileName(name.put()), name), file);
}

}  // namespace
