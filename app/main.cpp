#include "app/modMain.h"
#include "app/reload_request.h"
#include "runtime/runner.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int exitCode = runtime::runProgram(Main);
  FinishReloadRequests();
  return exitCode;
}
