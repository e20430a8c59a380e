// Start-up of Veilmark.exe: the settings check, the dialog's outcomes, the
// single running copy.
#include "veilmark_windows.h"

#include <gtest/gtest.h>

namespace {

class Startup : public ::testing::Test {
 protected:
  void SetUp() override { clearSettings(); }
  void TearDown() override { clearSettings(); }
};

// Running means: the hidden main form is loaded and, once the main form has
// said that the (missing) configuration file can't be read, nothing asks the user.
void expectRunningThenCloseMainForm(const Program& veilmark) {
  const MessageBoxSeen readFailure = veilmark.answerMessageBox();
  EXPECT_EQ(readFailure.caption, kTitle);
  EXPECT_EQ(readFailure.text.rfind(kReadFailedMessage, 0), 0u) << narrow(readFailure.text);
  const HWND mainForm = veilmark.waitForWindow(kFormClass, kMainCaption);
  ASSERT_NE(mainForm, nullptr);
  EXPECT_FALSE(IsWindowVisible(mainForm));
  EXPECT_EQ(veilmark.findWindow(kFormClass, kSettingsCaption), nullptr);
  EXPECT_FALSE(veilmark.hasDialogBox());
  PostMessageW(mainForm, WM_CLOSE, 0, 0);
  ASSERT_TRUE(veilmark.waitForExit());
  EXPECT_EQ(veilmark.exitCode(), 0u);
}

void expectStopsWithNoPathMessage(const Program& veilmark) {
  const MessageBoxSeen box = veilmark.answerMessageBox();
  EXPECT_EQ(box.caption, kTitle);
  EXPECT_EQ(box.text, kNoPathMessage);
  ASSERT_TRUE(veilmark.waitForExit());
  EXPECT_EQ(veilmark.exitCode(), 0u);
  EXPECT_EQ(veilmark.findWindow(kFormClass, kMainCaption), nullptr);
}

void clickOk(const Program&, HWND dialog) { click(button(dialog, L"Ok")); }
void pressEnter(const Program& veilmark, HWND dialog) { pressKey(veilmark.focus(dialog), VK_RETURN); }

TEST_F(Startup, ConfirmedPathIsStoredAsTypedAndStartupGoesOn) {
  const struct {
    const wchar_t* path;
    void (*confirm)(const Program&, HWND);
  } cases[] = {
      {L"C:\\Program Files\\Privoxy\\config.txt", clickOk},
      {L"C:\\Программы\\Прокси\\конфиг.txt", pressEnter},
      {L"   ", clickOk},
      {L" D:\\privoxy\\config.txt ", pressEnter},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(narrow(row.path));
    clearSettings();
    Program veilmark(veilmarkPath());
    const HWND dialog = settingsDialog(veilmark);
    ASSERT_NE(dialog, nullptr);
    SendMessageW(textBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.path));
    row.confirm(veilmark, dialog);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }));
    expectRunningThenCloseMainForm(veilmark);
    EXPECT_EQ(readSetting(), row.path);
  }
}

TEST_F(Startup, DialogLeftWithoutPathEndsWithTheCriticalMessage) {
  const struct {
    const char* how;
    const wchar_t* typed;
    void (*leave)(const Program&, HWND);
    bool warnedFirst = false;  // the empty path's warning comes before
  } cases[] = {
      {"Ok clicked on empty text", L"", clickOk, true},
      {"Enter on empty text", L"", pressEnter, true},
      {"Cancel clicked", L"", [](const Program&, HWND dialog) { click(button(dialog, L"Отмена")); }},
      {"Cancel clicked after typing", L"C:\\typed\\config.txt",
       [](const Program&, HWND dialog) { click(button(dialog, L"Отмена")); }},
      {"Esc", L"C:\\typed\\config.txt",
       [](const Program& veilmark, HWND dialog) { pressKey(veilmark.focus(dialog), VK_ESCAPE); }},
      {"close box", L"C:\\typed\\config.txt",
       [](const Program&, HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Enter with the focus on Cancel", L"C:\\typed\\config.txt",
       [](const Program& veilmark, HWND dialog) {
         const HWND cancel = button(dialog, L"Отмена");
         for (int step = 0; step < 3; ++step) {
           const HWND before = veilmark.focus(dialog);
           pressKey(before, VK_TAB);
           waitUntil([&] { return veilmark.focus(dialog) != before; });
         }
         ASSERT_EQ(veilmark.focus(dialog), cancel);
         pressKey(cancel, VK_RETURN);
       }},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.how);
    clearSettings();
    Program veilmark(veilmarkPath());
    const HWND dialog = settingsDialog(veilmark);
    ASSERT_NE(dialog, nullptr);
    SendMessageW(textBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.typed));
    row.leave(veilmark, dialog);
    if (row.warnedFirst) {
      const MessageBoxSeen warning = veilmark.answerMessageBox();
      EXPECT_EQ(warning.caption, kTitle);
      EXPECT_EQ(warning.text, kEmptyPathWarning);
    }
    expectStopsWithNoPathMessage(veilmark);
    EXPECT_EQ(readSetting(), std::nullopt);
  }
}

TEST_F(Startup, StoredPathSkipsTheDialogEvenWhenTheFileIsMissing) {
  const wchar_t* const cases[] = {L"C:\\no such folder\\config.txt", L"   ", L"Z:\\Прокси\\нет такого.txt"};
  for (const wchar_t* path : cases) {
    SCOPED_TRACE(narrow(path));
    storeSetting(path);
    Program veilmark(veilmarkPath());
    expectRunningThenCloseMainForm(veilmark);
    EXPECT_EQ(readSetting(), path);
  }
}

TEST_F(Startup, SecondCopyEndsAtOnceWithoutAWindow) {
  const struct {
    const char* firstCopy;
    bool pathStored;
    const wchar_t* firstCaption;
  } cases[] = {{"running", true, kMainCaption}, {"asking for the path", false, kSettingsCaption}};
  for (const auto& row : cases) {
    SCOPED_TRACE(row.firstCopy);
    clearSettings();
    if (row.pathStored) storeSetting(L"C:\\privoxy\\config.txt");
    Program first(veilmarkPath());
    const HWND firstForm = first.waitForWindow(kFormClass, row.firstCaption);
    ASSERT_NE(firstForm, nullptr);

    Program second(veilmarkPath());
    bool secondShowedSomething = false;
    waitUntil([&] {
      for (HWND window : second.windows())
        if (IsWindowVisible(window) || className(window) == kFormClass) secondShowedSomething = true;
      return second.waitForExit(0);
    });
    ASSERT_TRUE(second.waitForExit(0));
    EXPECT_EQ(second.exitCode(), 0u);
    EXPECT_FALSE(secondShowedSomething);
    EXPECT_TRUE(IsWindow(firstForm));
    EXPECT_FALSE(first.waitForExit(0));
  }
}

}  // namespace
