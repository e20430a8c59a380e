// The life of a program: the apartment, the application window, its start-up
// routine, then messages for as long as any form is loaded, and at its end a
// moment for work still running in the background.
#pragma once

// Returns the process exit code; an unhandled error ends the process instead.
int RunProgram(void (*startup)());
