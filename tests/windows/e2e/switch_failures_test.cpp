// The switch's failures as the user meets them: which boxes come, in which
// order, with which text, and what is left on disk afterwards.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "veilmark_windows.h"

namespace {

const wchar_t kReadFailed[] = L"Не удаётся прочитать файл настроек Privoxy.";
const wchar_t kBackupFailed[] = L"Не удаётся сохранить резервную копию файла настроек Privoxy.";
const wchar_t kSaveFailed[] = L"Не удаётся сохранить файл настроек Privoxy.";
const char kUserText[] = "listen-address  127.0.0.1:8118\r\nforward-socks4a / 10.0.0.1:9050 .\r\n";

std::string bytesOf(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::wstring& path, const std::string& bytes, bool readOnly = false) {
  std::ofstream(path.c_str(), std::ios::binary) << bytes;
  if (readOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

class Folder {
 public:
  Folder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"veilmark-switch-" + std::to_wstring(GetTickCount());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~Folder() {
    for (const wchar_t* name : {L"\\config.txt", L"\\config.txt.BAK"}) {
      SetFileAttributesW((path_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW((path_ + name).c_str());
    }
    RemoveDirectoryW(path_.c_str());
  }
  std::wstring config() const { return path_ + L"\\config.txt"; }
  std::wstring backup() const { return config() + L".BAK"; }

 private:
  std::wstring path_;
};

struct FailureCase {
  const char* name;
  void (*prepare)(const Folder&);
  std::vector<const wchar_t*> messages;  // in the order they come
  bool configUnchanged;
  std::string backupAfter;  // "-" when no backup may exist
  DWORD exitCode;           // 0: the state read back is off, as asked; 2: still on
};

TEST(SwitchFailures, ReportEachFailingStepAndKeepTheFiles) {
  const FailureCase cases[] = {
      {"missing file: the switch reports, then the state read", [](const Folder&) {},
       {kReadFailed, kReadFailed}, true, "-", 0},
      {"read-only backup: configuration untouched",
       [](const Folder& f) {
         writeBytes(f.config(), kUserText);
         writeBytes(f.backup(), "older backup", true);
       },
       {kBackupFailed}, true, "older backup", 2},
      {"read-only configuration: backup holds the text before",
       [](const Folder& f) { writeBytes(f.config(), kUserText, true); }, {kSaveFailed}, true, kUserText, 2},
      {"UTF-16 file: refused, not even a backup written",
       [](const Folder& f) { writeBytes(f.config(), std::string("\xFF\xFEl\0i\0s\0t\0e\0n\0\r\0\n\0", 18)); },
       {kReadFailed, kReadFailed}, true, "-", 0},
      {"writable files: no message", [](const Folder& f) { writeBytes(f.config(), kUserText); }, {}, false,
       kUserText, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Folder folder;
    c.prepare(folder);
    const std::string before = bytesOf(folder.config());

    const Program driver(besideTests(L"switch_driver.exe"), L"\"" + folder.config() + L"\" off");
    for (const wchar_t* message : c.messages) {
      const MessageBoxSeen box = driver.answerMessageBox();
      EXPECT_EQ(box.caption, kTitle);
      EXPECT_EQ(box.text.rfind(message, 0), 0u) << "box said: " << ::testing::PrintToString(box.text);
      EXPECT_NE(box.text.find(L"Ошибка"), std::wstring::npos) << "no error details";
    }
    ASSERT_TRUE(driver.waitForExit()) << "more messages than expected, or no end";
    EXPECT_EQ(driver.exitCode(), c.exitCode);

    EXPECT_EQ(bytesOf(folder.config()) == before, c.configUnchanged);
    if (std::string(c.backupAfter) == "-")
      EXPECT_EQ(GetFileAttributesW(folder.backup().c_str()), INVALID_FILE_ATTRIBUTES);
    else
      EXPECT_EQ(bytesOf(folder.backup()), c.backupAfter);
  }
}

}  // namespace
