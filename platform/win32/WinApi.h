// The Windows headers for the Win32 platform sources, with the A/W macros that collide with
// Platform member names removed: code here calls the W functions by their full names.
// Include after platform/win32/Win32Platform.h. Private to platform/win32.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#undef CreateDirectory
#undef CreateFile
#undef DeleteFile
#undef GetFileAttributes
#undef SetFileAttributes
#undef GetDiskFreeSpace
#undef GetTempPath
#undef GetWindowsDirectory
#undef ShellExecute
