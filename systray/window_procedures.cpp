#include "window_procedures.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "diagnostics.h"
#include "oxerror.hpp"
#include "sys_tray.h"

namespace lumicon {
namespace {

thread_local UINT WM_TASKBAR_CREATED = 0;

// The records published on this thread's windows, in step with their
// properties: finding one here costs no property lookup, which under Wine is
// a round trip to the server. A window's messages come on the thread that
// attached it. Emptied, the table gives its memory back.
struct Published {
  HWND window;
  const char* property;
  void* record;
};
thread_local std::vector<Published> published;

std::vector<Published>::iterator entryOf(HWND window, const char* property) {
  return std::find_if(published.begin(), published.end(),
                      [&](const Published& entry) { return entry.window == window && entry.property == property; });
}

void withdraw(HWND window, const char* property) {
  const auto entry = entryOf(window, property);
  if (entry != published.end()) published.erase(entry);
  if (published.empty()) std::vector<Published>().swap(published);
}

// Copies the record published on the window; false when there is none.
template <class Record>
bool copyRecord(HWND window, const char* property, Record& copy) {
  const auto entry = entryOf(window, property);
  if (entry == published.end()) return false;
  std::memcpy(&copy, entry->record, sizeof copy);
  return true;
}

}  // namespace

void setTaskbarCreatedMessage(UINT message) { WM_TASKBAR_CREATED = message; }

WNDPROC installProcedure(HWND window, WNDPROC procedure, const char* property, void* record) {
  // The table comes first: it is the one step that can fail, and nothing
  // reads it before the procedure is installed.
  published.push_back({window, property, record});
  const auto previous =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  SetPropA(window, property, record);
  return previous;
}

void restoreProcedure(HWND window, WNDPROC previous, const char* property) {
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  RemovePropA(window, property);
  withdraw(window, property);
}

LRESULT CALLBACK SubWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  // A handler may detach this window meanwhile; the copy still knows where to pass on.
  SubclassData data;
  if (!copyRecord(hWnd, PROP_SUBCLASS_DATA, data)) return 0;
  const auto passOn = [&] { return CallWindowProcA(data.PrevWndProc, hWnd, uMsg, wParam, lParam); };
  const LRESULT result = ox::windowProcedure(
      [&] { return data.Self->WindowMessage(uMsg, wParam, lParam, WM_TASKBAR_CREATED) ? LRESULT{0} : passOn(); },
      [](const ox::Error& error) { noteFailure(L"SubWndProc", error); }, passOn);
  data = {};
  return result;
}

LRESULT CALLBACK HookWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  HookData data;
  if (!copyRecord(hWnd, PROP_HOOK_DATA, data)) return 0;
  const bool restart = isTaskbarRestart(uMsg, WM_TASKBAR_CREATED);
  // The control hears of a restart even when the line about it fails.
  const auto passOn = [&] {
    if (restart) PostMessageA(data.hWndSysTray, uMsg, wParam, lParam);
    return CallWindowProcA(data.PrevWndProc, hWnd, uMsg, wParam, lParam);
  };
  const LRESULT result = ox::windowProcedure(
      [&] {
        if (restart) debugPrint(L"HookWindowProc() ==> WM_TASKBAR_CREATED, hWnd = " + hex(data.hWndSysTray));
        return passOn();
      },
      [](const ox::Error& error) { noteFailure(L"HookWindowProc", error); }, passOn);
  data = {};
  return result;
}

}  // namespace lumicon
