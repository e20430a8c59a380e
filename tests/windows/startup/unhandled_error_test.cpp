// An error nobody handles ends the program after one message box with the
// error's number and description, whether it is raised in the start-up
// routine or inside a window procedure.
#include "veilmark_windows.h"

#include <gtest/gtest.h>

namespace {

TEST(UnhandledError, IsReportedWithNumberAndDescriptionThenTheProgramEnds) {
  const struct {
    const wchar_t* how;
    const wchar_t* report;
  } cases[] = {
      {L"negative", L"Ошибка выполнения 0x80070002:\n\nФайл не найден"},
      {L"positive", L"Ошибка выполнения 5:\n\nНеверный вызов"},
      {L"standard", L"Ошибка выполнения 0x80004005:\n\nstandard failure"},
      {L"button", L"Ошибка выполнения 0x80070005:\n\nОтказано в доступе"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.how)));
    Program host(besideTests(L"runtime_error_host.exe"), row.how);
    if (std::wstring(row.how) == L"button") {
      const HWND form = host.waitForWindow(kFormClass, L"Failing form");
      ASSERT_NE(form, nullptr);
      click(findChild(form, L"Button", L"Fail"));
    }
    const MessageBoxSeen report = host.answerMessageBox();
    EXPECT_EQ(report.caption, L"Oxlen - Error Host");
    EXPECT_EQ(report.text, row.report);
    ASSERT_TRUE(host.waitForExit());
    EXPECT_NE(host.exitCode(), 0u);
  }
}

// A stored value the settings store cannot read as text fails the start-up
// check; the program reports it and ends before any form is loaded.
TEST(UnhandledError, UnreadableStoredSettingEndsVeilmarkWithTheReport) {
  clearSettings();
  const BYTE binary[] = {1, 2, 3};
  storeSetting(REG_BINARY, binary, sizeof binary);
  Program veilmark(veilmarkPath());
  const MessageBoxSeen report = veilmark.answerMessageBox();
  clearSettings();
  EXPECT_EQ(report.caption, kTitle);
  EXPECT_EQ(report.text.rfind(L"Ошибка выполнения 0x8007065E:\n\n", 0), 0u) << testing::PrintToString(report.text);
  EXPECT_GT(report.text.size(), 32u);
  ASSERT_TRUE(veilmark.waitForExit());
  EXPECT_NE(veilmark.exitCode(), 0u);
  EXPECT_EQ(veilmark.findWindow(kFormClass, kSettingsCaption), nullptr);
}

}  // namespace
