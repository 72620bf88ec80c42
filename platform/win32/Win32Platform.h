// The real Windows platform: every Platform operation on the Win32 W APIs, with GBK (code page
// 936) converted to UTF-16 and back at this boundary, so a setup behaves the same whatever the
// system's ANSI code page is.
//
// Contract: see platform/Platform.h. Default-constructible and stateless apart from what the
// operating system keeps; one object per program, handed down by reference. Every handle,
// registry key, COM pointer and shell item list lives in an RAII owner (platform/win32/Handles.h)
// and is released on every exit path. Errors that end an install (opening or creating a file,
// writing to it, a failing shell automation call) throw sk::Error with a GBK message naming the
// file and the system's reason. COM is initialised per call where needed (apartment-threaded).
//
// The Windows headers define A/W macros with the names of several Platform members
// (CreateFile, DeleteFile, GetTempPath, ShellExecute, ...). This header includes them through
// platform/win32/WinApi.h, which removes those macros, before the Platform declarations, so the
// members keep their names in every source that includes it, whatever it included before.
// Such a source calls the Win32 functions by their W names (CreateFileW).
#pragma once

// clang-format off
#include "platform/win32/WinApi.h"
#include "platform/Platform.h"
// clang-format on

namespace sk {

class Win32Platform : public Platform {
 public:
  Win32Platform() = default;

  std::string ExecutablePath() override;
  std::string CurrentDirectory() override;
  void ProcessMessages() override;

  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool ForceDirectories(const std::string& path) override;
  std::unique_ptr<InputStream> OpenRead(const std::string& path) override;
  std::unique_ptr<OutputStream> CreateFile(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  uint32_t GetFileAttributes(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
  std::optional<int64_t> GetFileWriteTime(const std::string& path) override;
  bool SetFileWriteTime(const std::string& path, int64_t utcFileTime) override;
  std::optional<int64_t> LocalFileTimeToUtc(int64_t localFileTime) override;
  std::optional<int64_t> LocalNow() override;
  bool CopyFileIfAbsent(const std::string& from, const std::string& to) override;
  std::unique_ptr<FileHold> HoldFile(const std::string& path) override;
  std::vector<std::string> ListDirectory(const std::string& path) override;
  int64_t GetDiskFreeSpace(const std::string& root) override;
  std::string GetFixedDrives() override;
  std::string LongPathName(const std::string& path) override;
  // Win32Restart.cpp
  bool ReplaceFileAtRestart(const std::string& source, const std::string& target) override;
  bool CancelReplaceAtRestart(const std::string& source) override;
  void Pause(uint32_t ms) override { ::Sleep(ms); }

  std::string GetSpecialFolderPath(int csidl) override;
  std::string GetTempPath() override;
  std::string GetWindowsDirectory() override;
  std::string GetSystemDirectory() override;
  std::optional<OsVersion> GetVersion() override;

  std::unique_ptr<RegistryKey> OpenKey(RegRoot root, const std::string& subKey,
                                       bool create) override;
  bool KeyExists(RegRoot root, const std::string& subKey) override;
  bool CreateKey(RegRoot root, const std::string& subKey) override;
  bool DeleteKey(RegRoot root, const std::string& subKey) override;

  bool StartProgram(const std::string& commandLine, int showCommand) override;
  std::unique_ptr<ChildProcess> StartProcess(const std::string& commandLine,
                                             int showCommand) override;
  bool ShellExecute(const std::string& verb, const std::string& file, const std::string& params,
                    const std::string& dir, int showCommand) override;
  bool ShellExecuteAndWait(const std::string& file, const std::string& params, int showCommand,
                           const std::function<void()>& pump,
                           const std::function<bool()>& stop) override;

  bool CreateShellLink(const std::string& linkPath, const ShellLinkInfo& link) override;
  std::optional<ShellLinkInfo> ReadShellLink(const std::string& linkPath) override;
  int InvokeShellVerbs(const std::string& path, const std::string& verbText) override;

  std::vector<std::pair<std::string, std::string>> IniSectionValues(
      const std::string& iniPath, const std::string& section) override;
  std::vector<std::string> IniSectionKeys(const std::string& iniPath,
                                          const std::string& section) override;
  std::string IniReadString(const std::string& iniPath, const std::string& section,
                            const std::string& key, const std::string& def) override;

  bool RandomBytes(void* buffer, size_t n) override;

  bool EnableShutdownPrivilege() override;
  bool RequestReboot() override;
};

}  // namespace sk
