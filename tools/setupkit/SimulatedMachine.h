// The virtual machine that `setupkit simulate` installs on, as the user describes it: extra fixed
// drives with their free space, the program-files and Windows folders, the time zone; and the
// folders a fresh Windows profile has that installs write into.
//
// Options arrive as UTF-8 command-line texts. A text that does not describe a machine (a bad
// drive letter or size, a folder that is not an absolute path on one of the machine's drives, an
// offset outside the time zones in use) throws std::invalid_argument with a UTF-8 message naming
// the option.
#pragma once

#include <string>
#include <vector>

#include "platform/sandbox/SandboxPlatform.h"

namespace CLI {
class App;
}

namespace sk::cli {

struct MachineOptions {
  std::vector<std::string> drives;  // "D" or "D=FREE" (bytes, or with a K, M, G or T suffix)
  std::string programFiles;         // empty: the default
  std::string windowsDir;           // empty: the default
  int utcOffsetMinutes = 0;
};

// Registers --drive, --program-files, --windows-dir and --utc-offset on `app`.
void AddMachineOptions(CLI::App& app, MachineOptions& options);

// Applies the options to `config` (which holds the defaults).
void ApplyMachineOptions(const MachineOptions& options, SandboxConfig& config);

// Creates what a fresh user profile has and installs rely on: the quick-launch folder below the
// roaming application data, the system folder and the shared program files folder. Folders that
// exist are left alone.
void PrepareFreshProfile(Platform& machine);

}  // namespace sk::cli
