// The two replaced window procedures and the records they find through window
// properties. One pair of procedures serves every control and hook window.
#pragma once

#include <windows.h>

namespace lumicon {

class SysTray;

constexpr UINT WM_TRAY_CALLBACK = WM_USER + 69;
// The control window's timer that tries a refused add again.
constexpr UINT_PTR TIMER_RETRY_ADD = 1;

// Property names are plain ASCII, so their ANSI form is the text itself. Each
// has one address in the library: the procedures' own table is keyed by it.
inline constexpr char PROP_HOOK_DATA[] = "{001B6D75-035A-4982-A54E-1E6062077D38}";
inline constexpr char PROP_SUBCLASS_DATA[] = "{B42988D0-98EC-4174-ABB3-EF0B08ED5E38}";

// Published on a hook window while it is subclassed.
struct HookData {
  WNDPROC PrevWndProc;
  HWND hWndSysTray;
};

// Published on a control window while it is attached. Self holds no count.
struct SubclassData {
  WNDPROC PrevWndProc;
  SysTray* Self;
};

#ifndef _WIN64
static_assert(sizeof(HookData) == 8 && sizeof(SubclassData) == 8);
#endif

// Stores the registered TaskbarCreated number for the calling thread; it is
// 0 there until a hook has fetched it.
void setTaskbarCreatedMessage(UINT message);

// Message number 0 is never a taskbar restart, even before the number is known.
inline bool isTaskbarRestart(UINT message, UINT taskbarCreated) {
  return taskbarCreated != 0 && message == taskbarCreated;
}

// Both replaced procedures are installed before their record is published,
// and put back before it is withdrawn. The record goes into the window's
// property for whoever reads it, and into a table of the calling thread for
// the procedures. installProcedure returns the procedure it replaced.
WNDPROC installProcedure(HWND window, WNDPROC procedure, const char* property, void* record);
void restoreProcedure(HWND window, WNDPROC previous, const char* property);

LRESULT CALLBACK SubWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HookWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

}  // namespace lumicon
