// What running Veilmark costs, beside the least a tray program can cost
// (minimal_tray.exe): time from start to the icon, memory at idle and CPU
// while it waits for the user (and watches its file).
//   tray_figures STARTS
// Starts the two programs STARTS times each, in turn, and prints one row per
// program: the median start-to-icon time and the CPU time its process took
// for it (which other work on the machine disturbs less), then, from its last
// start, the private and resident memory of its process after 3 s and its CPU
// time over 10 s of idling. Exit code 0 when both showed their icon every time and
// idled without CPU and without the libraries only a user's request needs,
// 2 when not, 3 on wrong usage.
#include "tray_program.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

struct Subject {
  const char* name;
  std::wstring path;
  // Its window that ends it on WM_CLOSE.
  const wchar_t* windowClass;
  const wchar_t* caption;
};

struct Figures {
  std::vector<double> startMs, startCpuMs;
  unsigned long long privateKb = 0, rssKb = 0, idleCpuMs = 0;
  std::vector<std::wstring> lateLibrariesLoaded;
};

// What only the settings and Open dialogs and the reload request need (the
// look at the running Privoxy and Tor, made at start, needs ws2_32).
const wchar_t* const kLateLibraries[] = {L"comctl32.dll", L"comdlg32.dll", L"wininet.dll"};

std::vector<std::wstring> lateLibrariesLoaded(const Program& program) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.id());
  HMODULE modules[1024];
  DWORD bytes = 0;
  EnumProcessModules(process, modules, sizeof modules, &bytes);
  std::vector<std::wstring> loaded;
  for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < std::size(modules); ++i) {
    wchar_t name[MAX_PATH];
    if (!GetModuleBaseNameW(process, modules[i], name, MAX_PATH)) continue;
    for (const wchar_t* late : kLateLibraries)
      if (_wcsicmp(name, late) == 0) loaded.push_back(late);
  }
  CloseHandle(process);
  return loaded;
}

ULONGLONG cpuMs(const Program& program) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, program.id());
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  CloseHandle(process);
  auto ticks = [](const FILETIME& time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; };
  return (ticks(kernel) + ticks(user)) / 10000;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A file of Linux's /proc through Wine's drive Z:, whole.
std::string procFile(const std::wstring& path) {
  const HANDLE file = CreateFileW((L"Z:\\proc\\" + path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string text;
  char chunk[4096];
  for (DWORD read; ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read;) text.append(chunk, read);
  CloseHandle(file);
  return text;
}

// Windows does not say which Linux process runs a Wine program: the one whose
// command line holds the marker the program was started with.
std::wstring linuxProcess(const std::string& marker) {
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
  std::wstring found;
  for (BOOL more = search != INVALID_HANDLE_VALUE; more && found.empty(); more = FindNextFileW(search, &entry)) {
    if (!iswdigit(entry.cFileName[0])) continue;
    const std::string commandLine = procFile(std::wstring(entry.cFileName) + L"\\cmdline");
    if (commandLine.find(marker) != std::string::npos) found = entry.cFileName;
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return found;
}

unsigned long long kilobytes(const std::string& rollup, const char* field) {
  const size_t at = rollup.find(field);
  return at == std::string::npos ? 0 : std::strtoull(rollup.c_str() + at + std::strlen(field), nullptr, 10);
}

// One start: the time to the icon; with idle, the memory and CPU figures too.
bool measure(const Subject& subject, int run, bool idle, Figures& figures) {
  const std::string marker = "figures-run-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(run);
  LARGE_INTEGER frequency, started, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&started);
  Program program(subject.path, std::wstring(marker.begin(), marker.end()));
  while (trayIcons().empty()) {
    QueryPerformanceCounter(&now);
    if (now.QuadPart - started.QuadPart > 15 * frequency.QuadPart) return false;
    Sleep(5);  // a busy wait would take the CPU the program starts on
  }
  QueryPerformanceCounter(&now);
  figures.startMs.push_back(1000.0 * (now.QuadPart - started.QuadPart) / frequency.QuadPart);
  figures.startCpuMs.push_back(static_cast<double>(cpuMs(program)));
  if (idle) {
    Sleep(3000);
    const std::string rollup = procFile(linuxProcess(marker) + L"\\smaps_rollup");
    figures.privateKb = kilobytes(rollup, "Private_Dirty:");
    figures.rssKb = kilobytes(rollup, "Rss:");
    const ULONGLONG before = cpuMs(program);
    Sleep(10000);
    figures.idleCpuMs = cpuMs(program) - before;
    figures.lateLibrariesLoaded = lateLibrariesLoaded(program);
  }
  PostMessageW(program.waitForWindow(subject.windowClass, subject.caption), WM_CLOSE, 0, 0);
  return program.waitForExit() && waitUntil([] { return trayIconWindows().empty(); });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int starts = argc == 2 ? _wtoi(argv[1]) : 0;
  if (starts < 1) {
    std::fprintf(stderr, "usage: tray_figures STARTS\n");
    return 3;
  }
  clearSettings();
  const TempFolder folder;
  const std::wstring config = folder.file(L"config.txt");
  writeBytes(config, configText(true));
  storeSetting(config);
  const Subject subjects[] = {{"veilmark", veilmarkPath(), kFormClass, kMainCaption},
                              {"minimal", besideTests(L"minimal_tray.exe"), L"MinimalTray", L"MinimalTray"}};
  Figures figures[2];
  bool good = true;
  // A first start of each, not counted, brings up the shell's tray and the files.
  for (int run = -1; run < starts && good; ++run)
    for (int i = 0; i < 2 && good; ++i) {
      Figures figuresOfRun;
      good = measure(subjects[i], run, run == starts - 1, run < 0 ? figuresOfRun : figures[i]);
      if (!good) std::fprintf(stderr, "%s: no icon in the tray, or it did not end\n", subjects[i].name);
    }
  clearSettings();
  if (!good) return 2;
  std::printf("%-10s %16s %10s %12s %10s %18s  %s\n", "program", "start to icon ms", "its CPU ms", "private kB",
              "RSS kB", "idle CPU ms/10 s", "each start ms");
  for (int i = 0; i < 2; ++i) {
    std::printf("%-10s %16.0f %10.0f %12llu %10llu %18llu ", subjects[i].name, median(figures[i].startMs),
                median(figures[i].startCpuMs), figures[i].privateKb, figures[i].rssKb, figures[i].idleCpuMs);
    for (double time : figures[i].startMs) std::printf(" %.0f", time);
    std::printf("\n");
    for (const std::wstring& library : figures[i].lateLibrariesLoaded)
      std::printf("%s has %s loaded at idle\n", subjects[i].name, narrow(library).c_str());
    good = good && figures[i].idleCpuMs <= 20 && figures[i].privateKb > 0 && figures[i].lateLibrariesLoaded.empty();
  }
  return good ? 0 : 2;
}
