// The program's message pump, shared by the main loop and modal forms.
#pragma once

namespace runtime {

// Waits for one message and delivers it, giving a form's dialog keys to the
// dialog manager. False when the message was WM_QUIT (it is posted again so
// that every loop up the stack ends too).
bool pumpMessage();

}  // namespace runtime
