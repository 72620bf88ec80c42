// Leaves a mark beside a module: creates the empty file "<module path><suffix>". The planted
// DLL and program use it to show that they ran.
#pragma once

#include <windows.h>

inline void LeaveMark(HMODULE module, const wchar_t* suffix) {
  wchar_t path[MAX_PATH + 16];
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  lstrcpynW(path + n, suffix, 16);
  HANDLE h =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}
