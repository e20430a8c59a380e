// What subclassing costs per message: the same window with and without the
// control's window procedure in front of its own.
#include <gtest/gtest.h>

#include <cstdio>

#include "host.h"
#include "spy.h"

namespace {

double secondsPerMessage(HWND window, int count) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < count; ++i) SendMessageW(window, WM_USER + 1, i, 0);
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart / count;
}

TEST(LumiconBenchmark, SubclassedMessageCost) {
  const Control control = createControl();
  constexpr int kMessages = 200000;
  secondsPerMessage(control.window, kMessages / 10);  // warm up
  const double plain = secondsPerMessage(control.window, kMessages);
  const LONG_PTR own = GetWindowLongPtrW(control.window, GWLP_WNDPROC);
  control.show(true);
  ASSERT_NE(GetWindowLongPtrW(control.window, GWLP_WNDPROC), own) << "nothing in front: no cost to measure";
  const double subclassed = secondsPerMessage(control.window, kMessages);
  control.show(false);
  const double ratio = subclassed / plain;
  std::printf("per message: plain %.1f ns, subclassed %.1f ns (+%.1f ns), ratio %.2f\n", plain * 1e9,
              subclassed * 1e9, (subclassed - plain) * 1e9, ratio);
  // A figure for the record, not a verdict: whatever else runs on the
  // machine moves it from run to run.
  RecordProperty("plain_ns", std::to_string(plain * 1e9));
  RecordProperty("subclassed_ns", std::to_string(subclassed * 1e9));
  RecordProperty("ratio", std::to_string(ratio));
}

}  // namespace
