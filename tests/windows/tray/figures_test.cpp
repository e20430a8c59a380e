// What running Veilmark costs: time from start to the icon, memory and CPU
// while it waits for the user (and watches its file). Figures are printed for
// the record; only the idle CPU, which must be none, is held to a bound.
#include "tray_program.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>

namespace {

ULONGLONG cpuTime(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  auto ticks = [](const FILETIME& time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; };
  return (ticks(kernel) + ticks(user)) / 10000;  // ms
}

TEST(TrayFigures, StartupToIconIdleMemoryAndNoIdleCpu) {
  clearSettings();
  const TempFolder folder;
  const std::wstring config = folder.file(L"config.txt");
  writeBytes(config, configText(true));
  storeSetting(config);
  LARGE_INTEGER frequency, started, shown;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&started);
  Program veilmark(veilmarkPath());
  while (trayIcons().empty()) {
    QueryPerformanceCounter(&shown);
    ASSERT_LT(shown.QuadPart - started.QuadPart, 15 * frequency.QuadPart);
  }
  QueryPerformanceCounter(&shown);
  const double startupMs = 1000.0 * (shown.QuadPart - started.QuadPart) / frequency.QuadPart;

  Sleep(1000);
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, veilmark.id());
  ASSERT_NE(process, nullptr);
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  ASSERT_TRUE(GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory));
  const ULONGLONG cpuBefore = cpuTime(process);
  Sleep(10000);
  const ULONGLONG idleCpuMs = cpuTime(process) - cpuBefore;
  CloseHandle(process);

  // Wine leaves PrivateUsage at 0; the commit charge stands in for it there.
  const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
  std::printf("start to icon: %.0f ms; private bytes at idle: %.2f MB; working set: %.2f MB; CPU in 10 s idle: %llu ms\n",
              startupMs, privateBytes / 1048576.0, memory.WorkingSetSize / 1048576.0, idleCpuMs);
  RecordProperty("startup_ms", static_cast<int>(startupMs));
  RecordProperty("private_bytes", static_cast<int>(privateBytes));
  EXPECT_LE(idleCpuMs, 20u);

  PostMessageW(veilmark.waitForWindow(kFormClass, kMainCaption), WM_CLOSE, 0, 0);
  ASSERT_TRUE(veilmark.waitForExit());
  EXPECT_EQ(veilmark.exitCode(), 0u);
  clearSettings();
}

}  // namespace
