// Program entry of Setup.exe: creates the Win32 platform, the window factories and the startup
// driver, runs it, and reports an error that escaped it.
//
// Started without arguments: the driver is destroyed (its staged support files deleted) before
// the error is shown in a message box with the run's message caption (the project name, or
// "Setup" when the package could not even be read); the process then exits with code 2. A
// normal run exits with 0.
//
// Started with switches (ui/Switches.h): /? shows their description in a box (exit 0); a bad
// switch shows what is wrong in a box, or with /S only writes it to the /LOG file, and exits
// with exit_code::kBadSwitches, nothing installed. /S runs the silent setup (ui/SilentSetup.h)
// with no window at all. Otherwise the package's windows run with the choice pages starting
// from the switches (ui/PresetWindows.h). Either way the exit code comes from
// engine/ExitCodes.h and /LOG= records the run.
//
// Before anything else the DLL search is restricted to the system folder: the program itself
// imports only DLLs that the system always takes from its own folder (scripts/check-pe keeps
// it so), and DLLs loaded later by name must not come from the setup's folder either. The common
// controls are loaded after that, not imported, for the DLLs their initialisation loads.
#include <windows.h>

#include <commctrl.h>

// Before any header that declares the Platform interface (see WinApi.h).
#include "platform/win32/WinApi.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "engine/ExitCodes.h"
#include "engine/FilesInUse.h"
#include "package/Integrity.h"
#include "platform/Encoding.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Platform.h"
#include "ui/PresetWindows.h"
#include "ui/RunLog.h"
#include "ui/SetupDriver.h"
#include "ui/SilentSetup.h"
#include "ui/SwitchChoices.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/WizardWindow.h"

namespace {

constexpr int kExitFailed = sk::exit_code::kLegacyFailed;
const char kPlainCaption[] = "Setup";

void LoadControls() {
  sk::win32::LoadCommonControls(ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES);
}

int Run() {
  LoadControls();

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
      if (caption.empty()) caption = driver->Compile().Package().ItemName;
    } catch (...) {
      error = "unknown error";
    }
  }
  if (error.empty()) return 0;
  if (caption.empty()) caption = kPlainCaption;
  sk::ui::MessageError(error, caption);
  return kExitFailed;
}

// The wizard (or the no-options window) with the choice pages starting from the switches.
int RunPreset(sk::Platform& platform, const sk::SetupSwitches& switches, sk::RunLog& log) {
  namespace code = sk::exit_code;
  const sk::WizardChoices choices = sk::ChoicesFromSwitches(switches);
  sk::ui::Win32SetupWindows windows;
  sk::PresetSetupWindows preset(windows, choices);
  std::string error, caption = kPlainCaption;
  int exitCode = code::kSuccess;
  {
    auto driver = std::make_unique<sk::SetupDriver>(platform, preset);
    try {
      driver->Execute();
      const sk::TopWindow window =
          sk::DecideStartup(sk::ReadStartupInputs(driver->Compile())).window;
      const bool wizard =
          window == sk::TopWindow::Wizard || window == sk::TopWindow::BackgroundWindow;
      if (wizard && !driver->Context().WizardFinished) {
        log.Line("cancelled by the user: nothing installed");
        exitCode = code::kCancelled;
      }
    } catch (const sk::ChoiceNotOffered& e) {
      error = sk::NotOfferedMessage(e, switches);
      exitCode = code::kBadSwitches;
    } catch (const sk::InstallCancelled& e) {
      // Abort at a file in use: the install was undone at the user's word.
      error = e.what();
      exitCode = code::kCancelled;
    } catch (const sk::DamagedPackage& e) {
      // Found while a file was inflated: the install was taken back.
      error = e.what();
      exitCode = code::kDamagedPackage;
    } catch (const std::exception& e) {
      error = e.what();
      exitCode =
          driver->Compile().Run().PackageChecked ? code::kInstallFailed : code::kDamagedPackage;
    }
    if (!driver->Context().MessageCaption.empty()) caption = driver->Context().MessageCaption;
  }
  if (!error.empty()) {
    log.Line("error: " + error);
    sk::ui::MessageError(error, caption);
  }
  log.Line("exit code: " + std::to_string(exitCode));
  return exitCode;
}

// The command line after the program's name, as UTF-8 (the name may hold any character).
std::string Utf8Tail() {
  const wchar_t* line = GetCommandLineW();
  const int n = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string utf8(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), n, nullptr, nullptr);
  return sk::CommandLineTail(utf8);
}

int RunWithSwitches(const std::string& utf8Tail) {
  namespace code = sk::exit_code;
  LoadControls();
  const std::optional<std::string> gbkTail = sk::Utf8ToGbk(utf8Tail);
  if (!gbkTail) {
    sk::ui::MessageError(sk::BadSwitchMessage("", sk::switch_text::kUnrepresentable),
                         kPlainCaption);
    return code::kBadSwitches;
  }
  const std::string& tail = *gbkTail;
  sk::Win32Platform platform;
  const sk::SetupSwitches switches = sk::ParseSetupSwitches(tail);
  if (switches.help) {
    sk::ui::MessageInfo(sk::SetupSwitchesHelp(), kPlainCaption);
    return code::kSuccess;
  }
  sk::RunLog log;
  if (switches.logFile) {
    try {
      log = sk::RunLog(platform, *switches.logFile);
    } catch (const std::exception& e) {
      // Nowhere to write: a silent run ends with the exit code alone (a box would wait for
      // someone who is not there), an interactive one says why.
      if (!switches.silent)
        sk::ui::MessageError(
            sk::BadSwitchMessage(switches.spelled.at("LOG"), sk::switch_text::kLogNotCreated) +
                "\r\n" + e.what(),
            kPlainCaption);
      return code::kBadSwitches;
    }
  }
  log.Line("command line: " + tail);
  if (!switches.Valid()) {
    log.Line("error: " + switches.error);
    log.Line("nothing installed");
    log.Line("exit code: " + std::to_string(code::kBadSwitches));
    if (!switches.silent) sk::ui::MessageError(switches.error, kPlainCaption);
    return code::kBadSwitches;
  }
  if (switches.silent) return sk::RunSilentSetup(platform, switches, log).code;
  return RunPreset(platform, switches, log);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  sk::win32::RestrictDllSearchToSystemFolder();
  try {
    const std::string tail = Utf8Tail();
    if (tail.empty()) return Run();
    return RunWithSwitches(tail);
  } catch (...) {
    // Even the error report failed (out of memory); end without a message.
    return kExitFailed;
  }
}
