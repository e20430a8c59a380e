// The switch's failures as the user meets them: which boxes come, in which
// order, with which text, and what is left on disk afterwards.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "test_files.h"
#include "veilmark_windows.h"

namespace {

const wchar_t kReadFailed[] = L"Не удаётся прочитать файл настроек Privoxy.";
const wchar_t kBackupFailed[] = L"Не удаётся сохранить резервную копию файла настроек Privoxy.";
const wchar_t kSaveFailed[] = L"Не удаётся сохранить файл настроек Privoxy.";
const char kUserText[] = "listen-address  127.0.0.1:8118\r\nforward-socks4a / 10.0.0.1:9050 .\r\n";

// The configuration file and its backup, in a folder of their own.
struct Files {
  TempFolder folder;
  const std::wstring config = folder.file(L"config.txt");
  const std::wstring backup = config + L".BAK";
};

struct FailureCase {
  const char* name;
  void (*prepare)(const Files&);
  std::vector<const wchar_t*> messages;  // in the order they come
  bool configUnchanged;
  std::optional<std::string> backupAfter;  // none: no backup may exist
  DWORD exitCode;           // 0: the state read back is off, as asked; 2: still on
};

TEST(SwitchFailures, ReportEachFailingStepAndKeepTheFiles) {
  const FailureCase cases[] = {
      {"missing file: the switch reports, then the state read", [](const Files&) {},
       {kReadFailed, kReadFailed}, true, std::nullopt, 0},
      {"read-only backup: configuration untouched",
       [](const Files& f) {
         writeBytes(f.config, kUserText);
         writeBytes(f.backup, "older backup", true);
       },
       {kBackupFailed}, true, "older backup", 2},
      {"read-only configuration: backup holds the text before",
       [](const Files& f) { writeBytes(f.config, kUserText, true); }, {kSaveFailed}, true, kUserText, 2},
      {"UTF-16 file: refused, not even a backup written",
       [](const Files& f) { writeBytes(f.config, std::string("\xFF\xFEl\0i\0s\0t\0e\0n\0\r\0\n\0", 18)); },
       {kReadFailed, kReadFailed}, true, std::nullopt, 0},
      {"writable files: no message", [](const Files& f) { writeBytes(f.config, kUserText); }, {}, false,
       kUserText, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Files files;
    c.prepare(files);
    const auto before = readBytes(files.config);

    const Program driver(besideTests(L"switch_driver.exe"), L"\"" + files.config + L"\" off");
    for (const wchar_t* message : c.messages) {
      const MessageBoxSeen box = driver.answerMessageBox();
      EXPECT_EQ(box.caption, kTitle);
      EXPECT_EQ(box.text.rfind(message, 0), 0u) << "box said: " << ::testing::PrintToString(box.text);
      EXPECT_NE(box.text.find(L"Ошибка"), std::wstring::npos) << "no error details";
    }
    ASSERT_TRUE(driver.waitForExit()) << "more messages than expected, or no end";
    EXPECT_EQ(driver.exitCode(), c.exitCode);

    EXPECT_EQ(readBytes(files.config) == before, c.configUnchanged);
    EXPECT_EQ(readBytes(files.backup), c.backupAfter);
  }
}

}  // namespace
