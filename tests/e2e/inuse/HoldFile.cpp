// HoldFile FILE RELEASE [TIMEOUT-MS]: the "other program" of the files-in-use tests. Opens FILE
// for reading without sharing it (any open for writing or reading by another process then
// fails with a sharing violation), creates RELEASE + ".ready" once it holds the file, and lets
// go when RELEASE appears or after TIMEOUT-MS (default 60000) milliseconds.
// Exit codes: 0 released, 1 bad arguments, 2 FILE could not be opened, 3 timed out.
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 1;
  const std::wstring release = argv[2];
  const DWORD timeoutMs = argc > 3 ? static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) : 60000;
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  HANDLE ready = CreateFileW((release + L".ready").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, 0, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  int code = 3;
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (GetFileAttributesW(release.c_str()) != INVALID_FILE_ATTRIBUTES) {
      code = 0;
      break;
    }
    Sleep(50);
  }
  CloseHandle(file);
  return code;
}
