#include "app/modMain.h"
#include "runtime/runner.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return runtime::runProgram(Main); }
