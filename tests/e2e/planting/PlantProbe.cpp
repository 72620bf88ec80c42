// The control of the planting tests: a program that does what a careless one would, so that a
// test can show that planted files are taken in its environment at all.
//   probe load NAME...         loads each DLL NAME by bare name
//   probe strict-load NAME...  the same after restricting the search to the system folder
//   probe run COMMAND          starts the command line COMMAND (a bare program name is searched
//                              for beside the probe first) and waits for it
// The probe imports msimg32 statically, as setup programs often do: a planted msimg32.dll beside
// it is loaded before its first line runs. Exit code 0 when the action was done.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc > 1000) {  // never: referencing AlphaBlend is what makes the import
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
    AlphaBlend(nullptr, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, blend);
  }
  if (argc < 3) return 2;
  const std::wstring action = argv[1];
  if (action == L"load") {
    for (int i = 2; i < argc; ++i)
      if (!LoadLibraryW(argv[i])) return 1;
    return 0;
  }
  if (action == L"strict-load") {  // a DLL the system folder lacks is simply not loaded
    if (!SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return 1;
    for (int i = 2; i < argc; ++i) LoadLibraryW(argv[i]);
    return 0;
  }
  if (action == L"run" && argc == 3) {
    std::wstring command = argv[2];
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
      return 1;
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
  }
  return 2;
}
