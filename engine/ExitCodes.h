// The exit codes of Setup.exe, Uninst.exe and `setupkit simulate PACKAGE -- SWITCHES`: one table,
// read by deployment tools without a mapping (the values follow the convention those tools
// already know for installers).
//
// Started without arguments, both programs keep the codes they always had (kLegacy*): 0 after a
// run, 1 when the uninstall question is answered No, 2 after an error. Started with switches,
// every outcome has its own code from this table.
#pragma once

namespace sk::exit_code {

inline constexpr int kSuccess = 0;
inline constexpr int kCancelled = 1602;       // the user closed the wizard or answered No
inline constexpr int kInstallFailed = 1603;   // the install (or uninstall) ended with an error
inline constexpr int kDamagedPackage = 1620;  // the setup file or the uninstall log is damaged
inline constexpr int kBadSwitches = 1639;     // an unknown or invalid switch; nothing was done
inline constexpr int kRebootNeeded = 3010;    // success; the product needs a restart (/S only)

inline constexpr int kLegacyDeclined = 1;  // Uninst.exe without arguments: the question was No
inline constexpr int kLegacyFailed = 2;    // either program without arguments: any error

// One row of the table as the documentation and the /? text show it.
struct Row {
  int code;
  const char* meaning;  // English, for the CLI and docs
};

inline constexpr Row kTable[] = {
    {kSuccess, "success"},
    {kRebootNeeded, "success, a restart is needed to complete it (silent runs do not restart)"},
    {kCancelled, "cancelled by the user"},
    {kInstallFailed, "the install failed and was undone (Uninst.exe: the removal failed)"},
    {kDamagedPackage, "damaged package (Uninst.exe: a damaged or foreign uninstall log)"},
    {kBadSwitches, "bad switches: nothing was installed or removed"},
};

}  // namespace sk::exit_code
