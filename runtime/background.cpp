#include "runtime/background.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace runtime {
namespace {

// The threads started and not yet seen ended; all on the program's own thread.
std::vector<HANDLE>& threads() {
  static std::vector<HANDLE>* const handles = new std::vector<HANDLE>;
  return *handles;
}

// Keeps the handles of threads that are still running.
void forgetEnded() {
  std::vector<HANDLE>& handles = threads();
  handles.erase(std::remove_if(handles.begin(), handles.end(),
                               [](HANDLE thread) {
                                 if (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) return false;
                                 CloseHandle(thread);
                                 return true;
                               }),
                handles.end());
}

DWORD WINAPI run(void* parameter) {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  (*work)();
  return 0;
}

}  // namespace

bool runInBackground(std::function<void()> work) {
  forgetEnded();
  auto handed = std::make_unique<std::function<void()>>(std::move(work));
  const HANDLE thread = CreateThread(nullptr, 0, run, handed.get(), 0, nullptr);
  if (!thread) return false;
  handed.release();
  threads().push_back(thread);
  return true;
}

void finishBackground() {
  forgetEnded();
  const std::vector<HANDLE>& handles = threads();
  const ULONGLONG deadline = GetTickCount64() + 1000;
  // At most MAXIMUM_WAIT_OBJECTS at once: more only with a switch a second
  // and a proxy that never answers.
  for (size_t first = 0; first < handles.size(); first += MAXIMUM_WAIT_OBJECTS) {
    const DWORD count = static_cast<DWORD>(std::min<size_t>(handles.size() - first, MAXIMUM_WAIT_OBJECTS));
    const ULONGLONG now = GetTickCount64();
    WaitForMultipleObjects(count, handles.data() + first, TRUE, now < deadline ? static_cast<DWORD>(deadline - now) : 0);
  }
}

}  // namespace runtime
