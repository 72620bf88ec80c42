// A machine with nothing on it: every query answers "absent" (false, empty, -1, nullptr),
// every operation that changes something fails, and OpenRead / CreateFile throw sk::Error.
// Base for stand-ins that answer only a few questions (the CLI's default machine, test doubles).
#pragma once

#include "platform/Platform.h"

namespace sk {

class NullPlatform : public Platform {
 public:
  std::string ExecutablePath() override { return {}; }
  std::string CurrentDirectory() override { return {}; }
  void ProcessMessages() override {}
  bool FileExists(const std::string&) override { return false; }
  bool DirectoryExists(const std::string&) override { return false; }
  bool CreateDirectory(const std::string&) override { return false; }
  bool ForceDirectories(const std::string&) override { return false; }
  std::unique_ptr<InputStream> OpenRead(const std::string& path) override {
    throw Error(path + ": no such file");
  }
  std::unique_ptr<OutputStream> CreateFile(const std::string& path) override {
    throw Error(path + ": cannot create the file");
  }
  bool DeleteFile(const std::string&) override { return false; }
  bool RemoveDirectory(const std::string&) override { return false; }
  uint32_t GetFileAttributes(const std::string&) override { return attr::Invalid; }
  bool SetFileAttributes(const std::string&, uint32_t) override { return false; }
  std::optional<int64_t> GetFileWriteTime(const std::string&) override { return {}; }
  bool SetFileWriteTime(const std::string&, int64_t) override { return false; }
  std::optional<int64_t> LocalFileTimeToUtc(int64_t t) override { return t; }
  bool CopyFileIfAbsent(const std::string&, const std::string&) override { return false; }
  std::vector<std::string> ListDirectory(const std::string&) override { return {}; }
  int64_t GetDiskFreeSpace(const std::string&) override { return -1; }
  std::string GetFixedDrives() override { return {}; }
  std::string GetSpecialFolderPath(int) override { return {}; }
  std::string GetTempPath() override { return {}; }
  std::string GetWindowsDirectory() override { return {}; }
  std::string GetSystemDirectory() override { return {}; }
  std::optional<OsVersion> GetVersion() override { return {}; }
  std::unique_ptr<RegistryKey> OpenKey(RegRoot, const std::string&, bool) override {
    return nullptr;
  }
  bool KeyExists(RegRoot, const std::string&) override { return false; }
  bool CreateKey(RegRoot, const std::string&) override { return false; }
  bool DeleteKey(RegRoot, const std::string&) override { return false; }
  bool StartProgram(const std::string&, int) override { return false; }
  std::unique_ptr<ChildProcess> StartProcess(const std::string&, int) override { return nullptr; }
  bool ShellExecute(const std::string&, const std::string&, const std::string&, const std::string&,
                    int) override {
    return false;
  }
  bool ShellExecuteAndWait(const std::string&, const std::string&, int,
                           const std::function<void()>&, const std::function<bool()>&) override {
    return false;
  }
  bool CreateShellLink(const std::string&, const ShellLinkInfo&) override { return false; }
  std::optional<ShellLinkInfo> ReadShellLink(const std::string&) override { return {}; }
  int InvokeShellVerbs(const std::string&, const std::string&) override { return 0; }
  std::vector<std::string> IniSectionKeys(const std::string&, const std::string&) override {
    return {};
  }
  std::string IniReadString(const std::string&, const std::string&, const std::string&,
                            const std::string& def) override {
    return def;
  }
  bool RandomBytes(void*, size_t) override { return false; }
  std::vector<std::pair<std::string, std::string>> IniSectionValues(const std::string&,
                                                                    const std::string&) override {
    return {};
  }
  bool EnableShutdownPrivilege() override { return false; }
  bool RequestReboot() override { return false; }
};

}  // namespace sk
