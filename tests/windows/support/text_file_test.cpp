#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "support_test_host.h"

using namespace support_test;

namespace {

class TextFileTest : public testing::Test {
 protected:
  std::wstring read(const std::wstring& path) {
    ox::Bstr text;
    return ox::text(file_->ReadAll(path.c_str(), VARIANT_TRUE, text.put()), text);
  }
  HRESULT write(const std::wstring& path, const std::wstring& text, bool overwrite = true) {
    ox::Bstr bstr(text);
    LONG written = -1;
    return file_->WriteAll(path.c_str(), bstr.get(), ox::toVariantBool(overwrite), &written);
  }
  std::string readRaw(const std::wstring& path, bool failIfMissing = true) {
    ox::Bstr bytes;
    ox::check(file_->ReadBytes(path.c_str(), ox::toVariantBool(failIfMissing), bytes.put()));
    return std::string(bytes.bytes());
  }
  // Both ways of reading, for the failures they share.
  std::vector<std::function<void(const std::wstring&)>> readers() {
    return {[this](const std::wstring& path) { read(path); }, [this](const std::wstring& path) { readRaw(path); }};
  }
  // Writes the pieces and checks the count of bytes reported.
  void writeRaw(const std::wstring& path, const std::vector<std::string>& pieces) {
    std::vector<OxBytes> runs;
    size_t size = 0;
    for (const std::string& piece : pieces) runs.push_back({piece.data(), piece.size()}), size += piece.size();
    LONG written = -1;
    ox::check(file_->WriteBytes(path.c_str(), runs.data(), static_cast<ULONG>(runs.size()), VARIANT_TRUE, &written));
    EXPECT_EQ(written, static_cast<LONG>(size));
  }
  // The folder holds exactly `names`: no temporary file was left behind.
  void expectOnly(std::vector<std::wstring> names) {
    std::vector<std::wstring> found = folder_.names();
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(found, names);
  }

  TempFolder folder_;
  ox::Ptr<IOxTextFile> file_ = ox::create(oxCreateTextFile);
};

TEST_F(TextFileTest, WritingBackWhatWasReadKeepsEveryByte) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"ascii CR LF", "listen-address 127.0.0.1:8118\r\n"},
      {"lone CR, lone LF", "a\rb\nc"},
      {"NUL bytes", std::string("x\0y\0", 4)},
      {"UTF-8 with BOM", "\xEF\xBB\xBF# Привет\r\n"},
      {"UTF-8 without BOM", "# Привет\r\n"},
      {"cp1251", "# \xCF\xF0\xE8\xE2\xE5\xF2\r\n"},
      {"invalid UTF-8", "\xC0\xAF\xED\xA0\x80\xFF"},
      {"mixed", "ok \xD0\x9F then \xD0"},
  };
  const std::wstring path = folder_.file(L"config.txt");
  for (const auto& c : cases) {
    writeBytes(path, c.bytes);
    ASSERT_EQ(write(path, read(path)), S_OK) << c.name;
    EXPECT_EQ(readBytes(path), c.bytes) << c.name;
    writeRaw(path, {readRaw(path)});
    EXPECT_EQ(readBytes(path), c.bytes) << c.name << ", as bytes";
  }
  expectOnly({L"config.txt"});
}

// Short pieces are gathered before they are written, long ones go straight out.
TEST_F(TextFileTest, PiecesAreWrittenInTheirOrder) {
  const std::wstring path = folder_.file(L"config.txt");
  const std::string large(100000, 'L'), nearlyFull(65530, 'n');
  const std::vector<std::string> pieces = {"a", "", nearlyFull, "bcdefgh", large, "\r\n", large, "z"};
  writeRaw(path, pieces);
  std::string joined;
  for (const std::string& piece : pieces) joined += piece;
  EXPECT_EQ(readBytes(path), joined);
  EXPECT_EQ(readRaw(path), joined);
  writeRaw(path, {});
  EXPECT_EQ(readBytes(path), "");
}

TEST_F(TextFileTest, NewCyrillicFollowsTheFilesEncoding) {
  const std::wstring utf8 = folder_.file(L"utf8.txt"), legacy = folder_.file(L"cp1251.txt");
  writeBytes(utf8, "# \xD0\x9F\r\n");
  writeBytes(legacy, "# \xCF\r\n");
  ASSERT_EQ(GetACP(), 1251u) << "run with LANG=ru_RU.UTF-8";
  ASSERT_EQ(write(utf8, read(utf8) + L"Тор"), S_OK);
  ASSERT_EQ(write(legacy, read(legacy) + L"Тор"), S_OK);
  EXPECT_EQ(readBytes(utf8), "# \xD0\x9F\r\n\xD0\xA2\xD0\xBE\xD1\x80");
  EXPECT_EQ(readBytes(legacy), "# \xCF\r\n\xD2\xEE\xF0");
  EXPECT_EQ(write(legacy, read(legacy) + L"\x4E2D"), HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION))
      << "a character cp1251 lacks is refused, not replaced";
  EXPECT_EQ(readBytes(legacy), "# \xCF\r\n\xD2\xEE\xF0");
}

TEST_F(TextFileTest, MissingFile) {
  ox::Bstr text;
  EXPECT_EQ(file_->ReadAll(folder_.file(L"none.txt").c_str(), VARIANT_FALSE, text.put()), S_OK);
  EXPECT_EQ(text.str(), L"");
  EXPECT_EQ(readRaw(folder_.file(L"none.txt"), false), "");
  for (const auto& reading : readers()) {
    try {
      reading(folder_.file(L"none.txt"));
      ADD_FAILURE() << "reading a missing file must fail";
    } catch (const ox::Error& error) {
      EXPECT_EQ(error.number, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
      EXPECT_NE(error.description.find(L"none.txt"), std::wstring::npos) << narrow(error.description);
    }
  }
}

TEST_F(TextFileTest, Utf16IsRefusedByName) {
  const std::wstring path = folder_.file(L"config.txt");
  writeBytes(path, std::string("\xFF\xFE#\0\r\0\n\0", 8));
  for (const auto& reading : readers()) {
    try {
      reading(path);
      ADD_FAILURE() << "a UTF-16 file must not be read";
    } catch (const ox::Error& error) {
      EXPECT_EQ(error.description, L"Файл в кодировке UTF-16: " + path) << narrow(error.description);
    }
  }
}

TEST_F(TextFileTest, FailedWritesLeaveTheOldFileAndNoTemporaryFile) {
  const std::wstring path = folder_.file(L"config.txt");
  writeBytes(path, "old");
  EXPECT_EQ(write(folder_.file(L"no such folder\\config.txt"), L"new"), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(write(path, L"new", false), HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));

  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(write(path, L"new"), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

  HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FAILED(write(path, L"new")));
  CloseHandle(locked);

  EXPECT_EQ(readBytes(path), "old");
  expectOnly({L"config.txt"});
  EXPECT_EQ(write(folder_.file(L"fresh.txt"), L"new", false), S_OK);
  EXPECT_EQ(readBytes(folder_.file(L"fresh.txt")), "new");
}

// The switch's use of a file: read it, then replace it with "new" while the
// backup keeps what was read. Its status and *backupFailed.
HRESULT replaceKeepingBackup(IOxTextFile* file, const std::wstring& path, VARIANT_BOOL* backupFailed) {
  ox::Ptr<IOxBackedUpFile> opened;
  ox::Bstr read;
  const OxBytes piece{"new", 3};
  *backupFailed = VARIANT_FALSE;
  HRESULT status = file->OpenKeepingBackup(path.c_str(), (path + L".BAK").c_str(), opened.put());
  if (SUCCEEDED(status)) status = opened->ReadBytes(read.put());
  if (SUCCEEDED(status)) status = opened->Replace(read.get(), &piece, 1, backupFailed);
  return status;
}

constexpr wchar_t kReplaceChild[] = L"--replace-ended-at=";

// The run that a planned file operation ends: --replace-ended-at=N:PATH.
[[maybe_unused]] const bool replaceChildRun = [] {
  const wchar_t* plan = wcsstr(GetCommandLineW(), kReplaceChild);
  if (!plan) return false;
  wchar_t* path = nullptr;
  const FileCalls calls(wcstoul(plan + wcslen(kReplaceChild), &path, 10), 0);
  VARIANT_BOOL backupFailed;
  ExitProcess(SUCCEEDED(replaceKeepingBackup(ox::create(oxCreateTextFile).get(), path + 1, &backupFailed)) ? 0 : 1);
}();

// A switch's folder: the file "old", its backup "earlier", maybe a second
// name of the file, a name like a leftover's and a leftover's name that a
// running write holds.
struct SwitchFolder {
  SwitchFolder(const TempFolder& folder, bool secondName) : path(folder.file(L"config.txt")) {
    for (const std::wstring& name : folder.names()) DeleteFileW(folder.file(name).c_str());
    writeBytes(path, "old");
    writeBytes(path + L".BAK", "earlier");
    writeBytes(folder.file(names[2]), "");
    writeBytes(folder.file(names[3]), "");
    running = CreateFileW(folder.file(names[3]).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (secondName && CreateHardLinkW(folder.file(L"kept.txt").c_str(), path.c_str(), nullptr)) names.push_back(L"kept.txt");
  }
  ~SwitchFolder() { CloseHandle(running); }
  // The file is the old or the new bytes, the backup the earlier or the old
  // ones in a file of its own; returns "file/backup".
  std::string expectWhole() const {
    const std::optional<std::string> file = readBytes(path), kept = readBytes(path + L".BAK");
    EXPECT_TRUE(file == "old" || file == "new") << (file ? *file : "no file");
    EXPECT_TRUE(kept == "earlier" || kept == "old") << (kept ? *kept : "no backup");
    EXPECT_EQ(nameCount(path + L".BAK"), 1u);
    return (file ? *file : "-") + "/" + (kept ? *kept : "-");
  }

  const std::wstring path;
  std::vector<std::wstring> names = {L"config.txt", L"config.txt.BAK", L"~veilmark-notes.tmp",
                                     L"~veilmark-00000000000000AB.tmp"};
  HANDLE running;
};

// The backup is the file's own data where that may be shared, else a copy;
// either way it keeps the bytes read once the file is replaced, and never
// while the file is not.
TEST_F(TextFileTest, BackupKeepsTheBytesRead) {
  const std::wstring path = folder_.file(L"config.txt"), backup = path + L".BAK", other = folder_.file(L"other.txt");
  const struct {
    const char* name;
    bool readOnly, secondName;
  } cases[] = {
      {"plain file: a second name", false, false},
      {"read-only file, not replaced: a writable copy", true, false},
      {"file with another name: a copy, the other name left alone", false, true},
  };
  for (const auto& c : cases) {
    writeBytes(path, "old", c.readOnly);
    ASSERT_TRUE(!c.secondName || CreateHardLinkW(other.c_str(), path.c_str(), nullptr)) << c.name;
    VARIANT_BOOL backupFailed = VARIANT_TRUE;
    EXPECT_EQ(replaceKeepingBackup(file_.get(), path, &backupFailed), c.readOnly ? E_ACCESSDENIED : S_OK) << c.name;
    EXPECT_EQ(backupFailed, VARIANT_FALSE) << c.name;
    EXPECT_EQ(readBytes(path), c.readOnly ? "old" : "new") << c.name;
    EXPECT_EQ(readBytes(backup), "old") << c.name;
    EXPECT_EQ(nameCount(backup), 1u) << c.name;
    EXPECT_FALSE(GetFileAttributesW(backup.c_str()) & FILE_ATTRIBUTE_READONLY) << c.name;
    EXPECT_EQ(readBytes(other), c.secondName ? std::optional<std::string>("old") : std::nullopt) << c.name;
    expectOnly(c.secondName ? std::vector<std::wstring>{L"config.txt", L"config.txt.BAK", L"other.txt"}
                            : std::vector<std::wstring>{L"config.txt", L"config.txt.BAK"});
    DeleteFileW(other.c_str());
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  writeBytes(backup, "older", true);
  VARIANT_BOOL backupFailed = VARIANT_FALSE;
  EXPECT_EQ(replaceKeepingBackup(file_.get(), path, &backupFailed), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  EXPECT_EQ(backupFailed, VARIANT_TRUE) << "a read-only backup is refused";
  EXPECT_EQ(readBytes(backup), "older");
  expectOnly({L"config.txt", L"config.txt.BAK"});
}

// A replace ended (as by a kill) or failing with each error at each of the
// library's file operations in turn, for a file whose backup becomes its
// data's own name and for one whose backup is a copy: no byte is lost, the
// failure told is the one met, and nothing is left beside the file but what
// a kill left, which the next replace's start (or RemoveLeftovers) removes.
TEST_F(TextFileTest, EndedOrFailingAtAnyFileOperation) {
  std::string table;
  for (const bool secondName : {false, true}) {
    std::vector<const char*> calls;
    {
      const SwitchFolder files(folder_, secondName);
      const FileCalls counted(0, 0);
      VARIANT_BOOL backupFailed;
      ASSERT_EQ(replaceKeepingBackup(file_.get(), files.path, &backupFailed), S_OK);
      calls = counted.made();
    }
    for (unsigned at = 1; at <= calls.size(); ++at) {
      const std::string point = std::string(secondName ? "copy " : "link ") + std::to_string(at) + " " + calls[at - 1];
      table += point;
      for (const DWORD error : {DWORD{0}, DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_SHARING_VIOLATION},
                                DWORD{ERROR_DISK_FULL}, DWORD{ERROR_NOT_SUPPORTED}}) {
        SCOPED_TRACE(point + ", error " + std::to_string(error));
        const SwitchFolder files(folder_, secondName);
        HRESULT status = S_OK;
        if (!error) {
          ASSERT_EQ(runChild(kReplaceChild + std::to_wstring(at) + L":" + files.path), 99u);
        } else {
          const FileCalls failing(at, error);
          VARIANT_BOOL backupFailed;
          status = replaceKeepingBackup(file_.get(), files.path, &backupFailed);
        }
        const std::string outcome = files.expectWhole();
        table += " | " + (FAILED(status) ? "failed " : std::string()) + outcome;
        if (!error) {
          table += " +" + std::to_string(folder_.names().size() - files.names.size());
          EXPECT_EQ(file_->RemoveLeftovers(files.path.c_str()), S_OK);
        } else if (FAILED(status)) {
          EXPECT_EQ(status, HRESULT_FROM_WIN32(error));
          EXPECT_EQ(outcome.substr(0, 4), "old/");
        } else {
          EXPECT_EQ(outcome, "new/old");
        }
        expectOnly(files.names);
      }
      table += "\n";
    }
  }
  std::printf("%s", table.c_str());
}

// A text no BSTR can hold must fail: a null BSTR would be written as an empty file.
TEST(Bstr, TooLongTextIsAnErrorNotAnEmptyText) {
  const wchar_t start[] = L"abc";
  std::vector<size_t> lengths = {size_t{1} << 31};
  if (sizeof(size_t) > sizeof(UINT)) lengths.push_back(size_t{UINT_MAX} + 4);  // cut to 3 by a UINT
  for (size_t length : lengths) {
    try {
      const ox::Bstr text(std::wstring_view(start, length));
      ADD_FAILURE() << length << " characters became " << SysStringLen(text.get());
    } catch (const ox::Error& error) {
      EXPECT_EQ(error.number, E_OUTOFMEMORY) << length;
    }
  }
}

// A temporary name beside a file whose own path fits must not push past MAX_PATH.
TEST_F(TextFileTest, FilesInAFolderOf240CharactersAreReplaced) {
  const MaxPathLimit limit;
  std::wstring folder = folder_.file(L"");
  folder += std::wstring(240 - folder.size(), L'd');
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  for (const wchar_t* name : {L"\\config.txt", L"\\config.txt.BAK"}) {
    const std::wstring path = folder + name;
    writeBytes(path, "old");
    EXPECT_EQ(write(path, L"new"), S_OK) << narrow(path);
    EXPECT_EQ(readBytes(path), "new") << narrow(path);
    DeleteFileW(path.c_str());
  }
  // A file of 256 characters, whose backup's path does not fit.
  const std::wstring path = folder + L"\\config-0256.txt";
  writeBytes(path, "old");
  VARIANT_BOOL backupFailed;
  EXPECT_EQ(replaceKeepingBackup(file_.get(), path, &backupFailed), S_OK);
  EXPECT_EQ(readBytes(path + L".BAK"), "old");
  DeleteFileW(path.c_str());
  DeleteFileW((path + L".BAK").c_str());
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << "a temporary file was left behind";
}

TEST_F(TextFileTest, EveryWriteMovesTheModificationSecondOn) {
  const std::wstring path = folder_.file(L"config.txt");
  auto seconds = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return ((ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime) / 10000000;
  };
  ASSERT_EQ(write(path, L"one"), S_OK);
  const ULONGLONG first = seconds();
  ASSERT_EQ(write(path, L"two"), S_OK);
  const ULONGLONG second = seconds();
  ASSERT_EQ(write(path, L"three"), S_OK);
  EXPECT_GT(second, first);
  EXPECT_GT(seconds(), second);
  EXPECT_EQ(readBytes(path), "three");
}

}  // namespace
