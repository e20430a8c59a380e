// Whether Tor takes connections where the forward directive sends them.
#pragma once

#include <windows.h>

// Tries a TCP connection to 127.0.0.1:9050 from a thread of its own, giving
// up after 2 s, then posts `message` to `window`, wParam TRUE when something
// accepted it. A window gone by then gets nothing; the program's end waits
// for the look a second at most.
void CheckTorAnswers(HWND window, UINT message);
