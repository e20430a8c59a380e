// The watch on the configuration file's folder calls its owner for changes of
// the file only: Privoxy's log beside it grows all day.
#include "app/config_watch.h"
#include "runtime/message_loop.h"

#include "test_files.h"

#include <gtest/gtest.h>

namespace {

// Runs the main loop for a while, as the program's own loop would.
void runMainLoop(DWORD ms) {
  const UINT_PTR tick = SetTimer(nullptr, 0, 10, nullptr);
  for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;) runtime::pumpMainLoop();
  KillTimer(nullptr, tick);
}

TEST(ConfigWatch, CallsForChangesOfTheFileOnly) {
  const struct {
    const char* name;
    void (*change)(const TempFolder&);
    bool called;
  } cases[] = {
      {"a log beside it grows",
       [](const TempFolder& f) {
         for (int line = 0; line < 5; ++line) writeBytes(f.file(L"privoxy.log"), std::string(line + 1, 'x'));
       },
       false},
      {"the file is written", [](const TempFolder& f) { writeBytes(f.file(L"config.txt"), "listen-address :1\r\n"); },
       true},
      {"the file is deleted", [](const TempFolder& f) { DeleteFileW(f.file(L"config.txt").c_str()); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    writeBytes(folder.file(L"config.txt"), "listen-address :8118\r\n");
    int calls = 0;
    const ConfigWatch watch(folder.file(L"config.txt"), [&] { ++calls; });
    c.change(folder);
    runMainLoop(300);
    EXPECT_EQ(calls > 0, c.called) << calls << " calls";
  }
}

}  // namespace
