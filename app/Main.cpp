// Program entry of Setup.exe: creates the Win32 platform, the window factories and the startup
// driver, runs it, and reports an error that escaped it.
//
// The driver is destroyed (its staged support files deleted) before the error is shown in a
// message box with the run's message caption (the project name, or "Setup" when the package
// could not even be read); the process then exits with code 2. A normal run exits with 0.
//
// Before anything else the DLL search is restricted to the system folder: the program itself
// imports only DLLs that the system always takes from its own folder (scripts/check-pe keeps
// it so), and DLLs loaded later by name must not come from the setup's folder either. The common
// controls are loaded after that, not imported, for the DLLs their initialisation loads.
#include <windows.h>

#include <commctrl.h>

#include <exception>
#include <memory>
#include <string>

#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Platform.h"
#include "ui/SetupDriver.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/WizardWindow.h"

namespace {

constexpr int kExitFailed = 2;

int Run() {
  sk::win32::LoadCommonControls(ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES);

  sk::Win32Platform platform;
  sk::ui::Win32SetupWindows windows;
  std::string error;
  std::string caption;
  {
    auto driver = std::make_unique<sk::SetupDriver>(platform, windows);
    try {
      driver->Execute();
    } catch (const std::exception& e) {
      error = e.what();
      caption = driver->Context().MessageCaption;
      if (caption.empty()) caption = driver->Compile().ItemName;
    } catch (...) {
      error = "unknown error";
    }
  }
  if (error.empty()) return 0;
  if (caption.empty()) caption = "Setup";
  sk::ui::MessageError(error, caption);
  return kExitFailed;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  sk::win32::RestrictDllSearchToSystemFolder();
  try {
    return Run();
  } catch (...) {
    // Even the error report failed (out of memory); end without a message.
    return kExitFailed;
  }
}
