// Work on threads of their own (a request, a look at a port) that the
// program's end waits for: a thread still ending when the process ends can
// leave that end hanging.
#pragma once

#include <functional>

namespace runtime {

// Runs `work` on a thread of its own; false when no thread is to be had.
bool runInBackground(std::function<void()> work);

// Gives work still running a moment (at most a second in all) to end.
void finishBackground();

}  // namespace runtime
