// The loader: converts an Intel HEX file and streams it into the target's boot loader.

#include <windows.h>

#include "sys/process.h"
#include "ui/win32/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  sys::SetUpProcess();
  return ui::RunLoader();
}
