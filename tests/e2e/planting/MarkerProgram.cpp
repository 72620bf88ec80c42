// A program that marks that it ran: "<its own path>.ran" appears. Copied beside a setup as
// regedit.exe, it shows whether the setup started it instead of the system's registry editor.
#include "tests/e2e/planting/Mark.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  LeaveMark(nullptr, L".ran");
  return 0;
}
