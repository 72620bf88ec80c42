// A read-only stand-in for the target machine, used by the CLI to load and evaluate a package
// model without touching the host: no files, an empty registry, the default folders
// (C:\Program Files, C:\Windows, %TEMP% = C:\Windows\Temp\) and OS code 6.1.
//
// Every query answers "absent" or the default; every operation that would change the machine
// fails (returns false / nullptr) and OpenRead / CreateFile throw sk::Error, so nothing the CLI
// does through this platform can have an effect.
#pragma once

#include "platform/Platform.h"

namespace sk::cli {

class DefaultMachine : public Platform {
 public:
  std::string ExecutablePath() override { return "C:\\Setup.exe"; }
  std::string CurrentDirectory() override { return "C:\\"; }
  void ProcessMessages() override {}

  bool FileExists(const std::string&) override { return false; }
  bool DirectoryExists(const std::string&) override { return false; }
  bool CreateDirectory(const std::string&) override { return false; }
  bool ForceDirectories(const std::string&) override { return false; }
  std::unique_ptr<InputStream> OpenRead(const std::string& path) override;
  std::unique_ptr<OutputStream> CreateFile(const std::string& path) override;
  bool DeleteFile(const std::string&) override { return false; }
  uint32_t GetFileAttributes(const std::string&) override { return attr::Invalid; }
  bool SetFileAttributes(const std::string&, uint32_t) override { return false; }
  std::optional<int64_t> GetFileWriteTime(const std::string&) override { return std::nullopt; }
  bool SetFileWriteTime(const std::string&, int64_t) override { return false; }
  std::optional<int64_t> LocalFileTimeToUtc(int64_t t) override { return t; }
  bool CopyFileIfAbsent(const std::string&, const std::string&) override { return false; }
  std::vector<std::string> ListDirectory(const std::string&) override { return {}; }
  int64_t GetDiskFreeSpace(const std::string&) override { return -1; }
  std::string GetFixedDrives() override { return "C"; }

  std::string GetSpecialFolderPath(int csidl) override;
  std::string GetTempPath() override { return "C:\\Windows\\Temp\\"; }
  std::string GetWindowsDirectory() override { return "C:\\Windows"; }
  std::optional<OsVersion> GetVersion() override { return OsVersion{2, 6, 1, 7601}; }

  std::unique_ptr<RegistryKey> OpenKey(RegRoot, const std::string&, bool) override {
    return nullptr;
  }
  bool KeyExists(RegRoot, const std::string&) override { return false; }
  bool CreateKey(RegRoot, const std::string&) override { return false; }

  bool StartProgram(const std::string&, int) override { return false; }
  bool ShellExecute(const std::string&, const std::string&, const std::string&, const std::string&,
                    int) override {
    return false;
  }
  bool ShellExecuteAndWait(const std::string&, const std::string&, int,
                           const std::function<void()>&, const std::function<bool()>&) override {
    return false;
  }
  bool CreateShellLink(const std::string&, const ShellLinkInfo&) override { return false; }
  std::optional<ShellLinkInfo> ReadShellLink(const std::string&) override { return std::nullopt; }
  int InvokeShellVerbs(const std::string&, const std::string&) override { return 0; }

  std::vector<std::string> IniSectionKeys(const std::string&, const std::string&) override {
    return {};
  }
  std::string IniReadString(const std::string&, const std::string&, const std::string&,
                            const std::string& def) override {
    return def;
  }
  bool EnableShutdownPrivilege() override { return false; }
  bool RequestReboot() override { return false; }
};

}  // namespace sk::cli
