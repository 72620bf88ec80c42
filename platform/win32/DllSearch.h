// Where the process loads DLLs from. A setup is started from a downloads folder, where other
// files may lie: a DLL there with the name of one that the program or a system library loads
// by name must never be taken instead of the system's.
//
// RestrictDllSearchToSystemFolder is the first call of a program's entry, before anything
// loads a DLL by name. It makes the system folder the only place searched
// (SetDefaultDllDirectories with LOAD_LIBRARY_SEARCH_SYSTEM32, looked up at run time since
// systems without the update that brought it lack the export); where the call is missing it
// takes the current folder out of the search (SetDllDirectory with an empty text). Either way
// it then loads the DLLs that system libraries are known to load later by name from the system
// folder, so that later requests by name find them already loaded (not every loader applies
// the default directories to delay-loaded imports). Returns true when the strict restriction
// is in force. Never throws.
//
// LoadSystemLibrary loads a DLL of the system folder by its full path; nullptr when it cannot
// (the module stays loaded for the life of the process).
//
// LoadCommonControls loads the common controls by name once the search is restricted (the
// program's manifest binds the name to version 6, which the loader then takes from the system's
// side-by-side store) and registers the window classes `classes` (ICC_* flags). Programs call it
// instead of importing comctl32: an import is loaded and initialised before the entry runs, and
// the library's initialisation may load further DLLs by name (Wine's loads uxtheme.dll) while
// the search still starts with the program's folder. False when the library or the call fails.
//
// CommonControlsProc returns the export `name` of the common controls the process uses (the
// module already loaded under that name, else loaded by name as above); nullptr when missing.
// Code that needs a comctl32 function beyond the window classes calls it through this, so that
// the programs keep no import of comctl32.
#pragma once

#include <windows.h>

namespace sk::win32 {

bool RestrictDllSearchToSystemFolder();
HMODULE LoadSystemLibrary(const wchar_t* fileName);
bool LoadCommonControls(DWORD classes);
FARPROC CommonControlsProc(const char* name);

}  // namespace sk::win32
