// The switch as the user meets it: which boxes its failures bring, in which
// order, with which text, and what is left on disk afterwards; and the switch
// command alone, which tells its failures by its exit code only.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "test_files.h"
#include "veilmark_windows.h"

namespace {

const wchar_t kReadFailed[] = L"Не удаётся прочитать файл настроек Privoxy.";
const wchar_t kBackupFailed[] = L"Не удаётся сохранить резервную копию файла настроек Privoxy.";
const wchar_t kSaveFailed[] = L"Не удаётся сохранить файл настроек Privoxy.";
const wchar_t kInUse[] = L"Файл настроек Privoxy занят другой программой. Закройте её и попробуйте снова.";
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
  DWORD exitCode;  // the driver: 0 when the state read back is off, as asked, 2 when still on; the command: its error
  const wchar_t* command = nullptr;  // Veilmark's switch command before the path; none: the driver
  const wchar_t* held = nullptr;     // held open by another program, without delete sharing: L"" the file, L".BAK"
  bool storedElsewhere = false;      // the stored setting names another file
};

void expectErrorBox(const MessageBoxSeen& box, const wchar_t* message) {
  EXPECT_EQ(box.caption, kTitle);
  EXPECT_EQ(box.text.rfind(message, 0), 0u) << "box said: " << ::testing::PrintToString(box.text);
  EXPECT_NE(box.text.find(L"Ошибка"), std::wstring::npos) << "no error details";
}

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
      {"configuration with another name: the backup is a copy, not that name",
       [](const Files& f) {
         writeBytes(f.config, kUserText);
         CreateHardLinkW(f.folder.file(L"kept.txt").c_str(), f.config.c_str(), nullptr);
       },
       {}, false, kUserText, 0},
      {"held by another program: in use, not protected; nothing written",
       [](const Files& f) { writeBytes(f.config, kUserText); }, {kInUse}, true, std::nullopt, 2, nullptr, L""},
      {"backup held by another program: refused before the file changes, or the text before would be in no file",
       [](const Files& f) {
         writeBytes(f.config, kUserText);
         writeBytes(f.backup, "earlier backup");
       },
       {kInUse}, true, "earlier backup", 2, nullptr, L".BAK"},
      {"switch command: switched quietly", [](const Files& f) { writeBytes(f.config, kUserText); }, {}, false,
       kUserText, 0, L"/switch off"},
      {"switch command for a file other than the stored one: refused, nothing touched",
       [](const Files& f) { writeBytes(f.config, kUserText); }, {}, true, std::nullopt,
       static_cast<DWORD>(E_ACCESSDENIED), L"/switch off", nullptr, true},
      {"switch command, missing file: the error's number, no box", [](const Files&) {}, {}, true, std::nullopt,
       static_cast<DWORD>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), L"/switch off"},
      {"malformed switch command: nothing touched", [](const Files& f) { writeBytes(f.config, kUserText); }, {},
       true, std::nullopt, static_cast<DWORD>(E_INVALIDARG), L"/switch sideways"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Files files;
    c.prepare(files);
    const auto before = readBytes(files.config);
    // Stored as typed, in other letters: the command compares full paths, case aside.
    storeSetting(c.storedElsewhere ? files.folder.file(L"other.txt") : CharUpperW(std::wstring(files.config).data()));
    const HANDLE holder = c.held ? CreateFileW((files.config + c.held).c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)
                                 : INVALID_HANDLE_VALUE;

    const std::wstring quoted = L"\"" + files.config + L"\"";
    const Program driver(c.command ? veilmarkPath() : besideTests(L"switch_driver.exe"),
                         c.command ? c.command + (L" " + quoted) : quoted + L" off");
    for (const wchar_t* message : c.messages) expectErrorBox(driver.answerMessageBox(), message);
    ASSERT_TRUE(driver.waitForExit()) << "more messages than expected, or no end";
    EXPECT_EQ(driver.exitCode(), c.exitCode);
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);

    EXPECT_EQ(readBytes(files.config) == before, c.configUnchanged);
    EXPECT_EQ(readBytes(files.backup), c.backupAfter);
    // Its own file: later writes to the configuration or another name do not reach it.
    if (c.backupAfter) {
      EXPECT_EQ(nameCount(files.backup), 1u);
    }
    for (const std::wstring& name : files.folder.names()) EXPECT_NE(name[0], L'~') << "left beside the file";
  }
  clearSettings();
}

// Run by protected_switch.sh alone, as a user who may not write the folder of
// VEILMARK_PROTECTED_CONFIG. Wine's "runas" starts the program as that same
// user, so the run with rights is refused as well.
TEST(SwitchFailures, DISABLED_ProtectedFileAsksForAdministratorRights) {
  const wchar_t* const config = _wgetenv(L"VEILMARK_PROTECTED_CONFIG");
  ASSERT_NE(config, nullptr);
  storeSetting(config);  // the switch command's one file
  const auto before = readBytes(config);
  const std::pair<int, const wchar_t*> answers[] = {{IDNO, kBackupFailed}, {IDYES, kSaveFailed}};
  for (const auto& [answer, then] : answers) {
    SCOPED_TRACE(answer);
    const Program driver(besideTests(L"switch_driver.exe"), L"\"" + std::wstring(config) + L"\" on");
    const MessageBoxSeen question = driver.answerMessageBox(answer);
    EXPECT_EQ(question.caption, kTitle);
    EXPECT_EQ(question.text, L"Файл настроек Privoxy защищён от изменений. Изменить его с правами администратора?");
    const MessageBoxSeen box = driver.answerMessageBox();
    expectErrorBox(box, then);
    EXPECT_NE(box.text.find(L"Ошибка 0x80070005"), std::wstring::npos) << "not access denied";
    ASSERT_TRUE(driver.waitForExit()) << "more messages than expected, or no end";
    EXPECT_EQ(readBytes(config), before);
  }
}

std::string inCodePage(UINT codePage, const std::wstring& text) {
  std::string bytes(text.size() * 4, '\0');
  bytes.resize(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, nullptr));
  return bytes;
}

// The user's bytes stay as they were, and the block's comment takes the
// encoding that the switched file as a whole is in.
TEST(SwitchWrites, EveryFileInItsOwnEncoding) {
  const std::string rule = "# " + std::string(67, '=');
  const std::wstring comment = L"# Подключение к TOR. Внимание! Добавляйте свои данные до этого блока!";
  const auto blockOff = [&](UINT codePage) {
    return rule + "\r\n" + inCodePage(codePage, comment) + "\r\n" + rule +
           "\r\n\r\n# [OFF] # forward-socks4a   /               127.0.0.1:9050 .\r\n";
  };
  const struct {
    const char* name;
    std::string before, after;
  } cases[] = {
      {"UTF-8", "# \xD0\x9F\r\nforward-socks4a / a:1 .",
       "# \xD0\x9F\r\n# [BLOCKED BY VEILMARK] forward-socks4a / a:1 .\r\n" + blockOff(CP_UTF8)},
      {"cp1251", "# \xCF\xF0\xEE\r\n", "# \xCF\xF0\xEE\r\n\r\n" + blockOff(1251)},
      {"cp1251 only in the old block", "a\r\n" + rule + "\r\n# \xCF\r\n", "a\r\n" + blockOff(CP_UTF8)},
  };
  for (const auto& c : cases) {
    const Files files;
    writeBytes(files.config, c.before);
    const Program driver(besideTests(L"switch_driver.exe"), L"\"" + files.config + L"\" off");
    ASSERT_TRUE(driver.waitForExit()) << c.name;
    EXPECT_EQ(driver.exitCode(), 0u) << c.name;
    EXPECT_EQ(readBytes(files.config), c.after) << c.name;
    EXPECT_EQ(readBytes(files.backup), c.before) << c.name;
  }
}

}  // namespace
