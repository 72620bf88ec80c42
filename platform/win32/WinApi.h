// The Windows headers with the A/W macros that collide with names of the Platform interface and
// the system helpers removed (CreateFile, DeleteFile, RemoveDirectory, GetTempPath, GetFreeSpace,
// ...). Code that includes this calls those Win32 functions by their W names (CreateFileW). Include
// it instead of <windows.h> wherever a source also calls Platform members; including it again after
// <windows.h> removes the macros that <windows.h> brought.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#undef CreateDirectory
#undef CreateFile
#undef DeleteFile
#undef RemoveDirectory
#undef GetFileAttributes
#undef SetFileAttributes
#undef GetDiskFreeSpace
#undef GetTempPath
#undef GetWindowsDirectory
#undef GetSystemDirectory
#undef RemoveDirectory
#undef ShellExecute
#undef GetFreeSpace
