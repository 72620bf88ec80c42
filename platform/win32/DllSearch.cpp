// Restricting the DLL search to the system folder (see DllSearch.h).
#include "platform/win32/DllSearch.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace sk::win32 {

namespace {

// DLLs that system libraries load by name while a window program runs (themes, composition,
// version and sound queries, shell and security helpers). None is a known DLL that the
// system always takes from its own folder.
constexpr const wchar_t* kLoadedLaterByName[] = {
    L"uxtheme.dll",   L"dwmapi.dll",  L"version.dll", L"winmm.dll",   L"propsys.dll",
    L"cryptbase.dll", L"profapi.dll", L"userenv.dll", L"sspicli.dll", L"ntmarta.dll",
};

std::wstring SystemFolder() {
  std::vector<wchar_t> buf(MAX_PATH + 1);
  for (int tries = 0; tries < 4; ++tries) {
    const UINT n = GetSystemDirectoryW(buf.data(), static_cast<UINT>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return std::wstring(buf.data(), n);
    buf.resize(static_cast<size_t>(n) + 1);
  }
  return {};
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
  const std::wstring folder = SystemFolder();
  if (folder.empty()) return nullptr;
  const std::wstring path = folder + L"\\" + fileName;
  // The DLL's own dependencies are looked for in its folder first.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool RestrictDllSearchToSystemFolder() {
  // kernel32 is loaded into every process: asking for its handle searches nothing.
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                 GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
  const bool strict = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!strict) SetDllDirectoryW(L"");
  // Not every loader applies the default directories to every later load (delay-loaded imports
  // of system libraries, compatibility layers): loaded now from the system folder, these DLLs
  // are found already loaded when something asks for them by name.
  for (const wchar_t* name : kLoadedLaterByName) {
    if (strict)
      LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
      LoadSystemLibrary(name);
  }
  return strict;
}

FARPROC CommonControlsProc(const char* name) {
  // By name, so that the manifest's binding to version 6 applies; the restricted search only
  // decides where a name without such a binding would be looked for.
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  if (!controls) controls = LoadLibraryW(L"comctl32.dll");
  return controls ? GetProcAddress(controls, name) : nullptr;
}

bool LoadCommonControls(DWORD classes) {
  using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init =
      reinterpret_cast<InitFn>(reinterpret_cast<void*>(CommonControlsProc("InitCommonControlsEx")));
  const INITCOMMONCONTROLSEX icc{sizeof icc, classes};
  return init && init(&icc);
}

}  // namespace sk::win32
