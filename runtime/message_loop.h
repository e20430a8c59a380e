// The program's message pump, shared by the main loop and modal forms.
#pragma once

#include <windows.h>

#include <functional>

namespace runtime {

// Waits for one message and delivers it, giving a form's dialog keys to the
// dialog manager. False when the message was WM_QUIT (it is posted again so
// that every loop up the stack ends too).
bool pumpMessage();

// A form's window, from its creation to its end: its Tab, Enter and Esc go to
// the dialog manager (IsDialogMessage), and a wait ends when the last goes.
void addFormWindow(HWND window);
void removeFormWindow(HWND window);

// A kernel object that the main loop waits on besides its messages, and what
// to do each time it is signalled. The action runs from the main loop only,
// never inside a modal loop, so it never meets a box or menu half done.
// nullptr: wait for messages alone.
void setMainLoopWait(HANDLE handle, std::function<void()> onSignalled);
// One turn of the main loop: a message delivered, or the waited-for object's
// action run. False on WM_QUIT, as pumpMessage.
bool pumpMainLoop();

// Delivers messages until the object is signalled, so that the program
// answers while it waits (another process, say). False when WM_QUIT came
// first, as pumpMessage, or when the last form's window went meanwhile.
bool waitPumping(HANDLE handle);

}  // namespace runtime
