// A read-only stand-in for the target machine, used by the CLI to load and evaluate a package
// model without touching the host: no files, an empty registry, the default folders
// (C:\Program Files, C:\Windows, C:\Windows\system32, %TEMP% = C:\Windows\Temp\) and OS code 6.1.
//
// Every query answers "absent" or the default; every operation that would change the machine
// fails (returns false / nullptr) and OpenRead / CreateFile throw sk::Error, so nothing the CLI
// does through this platform can have an effect.
#pragma once

#include "platform/NullPlatform.h"

namespace sk::cli {

class DefaultMachine : public NullPlatform {
 public:
  std::string ExecutablePath() override { return "C:\\Setup.exe"; }
  std::string CurrentDirectory() override { return "C:\\"; }
  std::string GetFixedDrives() override { return "C"; }
  std::string GetSpecialFolderPath(int csidl) override;
  std::string GetTempPath() override { return "C:\\Windows\\Temp\\"; }
  std::string GetWindowsDirectory() override { return "C:\\Windows"; }
  std::string GetSystemDirectory() override { return "C:\\Windows\\system32"; }
  std::optional<OsVersion> GetVersion() override { return OsVersion{2, 6, 1, 7601}; }
};

}  // namespace sk::cli
