// What Lumicon.dll did, as this test host saw it through the DLL's import
// table: every Shell_NotifyIconA record and every diagnostic line. The host
// also answers for the shell and for the shell's version probe.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ShellCall {
  DWORD message;
  std::vector<BYTE> bytes;  // exactly cbSize bytes of the record
  DWORD at;                 // GetTickCount when the call was made

  DWORD size() const;
  HWND window() const;
  UINT id() const;
  UINT flags() const;
  UINT callbackMessage() const;
  HICON icon() const;
  std::string tip() const;
  std::string info() const;
  UINT timeout() const;
  std::string infoTitle() const;
  DWORD infoFlags() const;
  // True when every byte that no field's value explains is zero.
  bool restIsZero() const;
};

enum class ShellVersion { Real, Missing, Failing, Four, Five };

namespace spy {

extern std::vector<ShellCall> calls;
extern std::vector<std::wstring> lines;
extern BOOL shellAnswer;
// NIM_ADD calls still to be refused before shellAnswer answers them.
extern unsigned refusedAdds;
// Whether those refused adds got the icon in all the same (a time-out), and
// whether the shell has the icon: nothing while it has not been asked.
extern bool refusedAddsGetIn;
extern std::optional<bool> iconIn;
extern ShellVersion version;
// Runs inside each shell call, as the shell's own messages may run there.
extern std::function<void()> duringShellCall;
// Diagnostic lines for which oxDebugPrint reports a failure.
extern std::function<bool(const std::wstring&)> failLine;

void reset();
// Lines written since `from`, in order.
std::vector<std::wstring> linesSince(size_t from);

}  // namespace spy

// A test that starts with an empty record and the shell as it is by default,
// and leaves them so for the next one.
class SpiedTest : public ::testing::Test {
 protected:
  void SetUp() override { spy::reset(); }
  void TearDown() override { spy::reset(); }
};
