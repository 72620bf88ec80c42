// A DLL that marks its loading: "<its own path>.loaded" appears when a process loads it. Copied
// beside a program under the name of a system DLL, it shows whether the program or a system
// library took it instead of the system's own.
#include "tests/e2e/planting/Mark.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMark(self, L".loaded");
  return TRUE;
}
