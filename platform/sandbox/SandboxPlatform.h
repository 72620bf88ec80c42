// A virtual Windows machine kept in a host folder, for the native tests and `setupkit
// simulate`. Every Platform operation acts on ROOT (SandboxConfig::root):
// - Drive X: is the folder ROOT/X; only the drives of SandboxConfig::drives exist. Names
//   compare without regard to ASCII case: each path element is matched against the host
//   folder case-insensitively, new names keep their case. Host names are UTF-8 (GBK converted).
//   Names that Windows rejects (<>"|?*, control characters, ":" after the drive) fail as the
//   Windows call would.
// - File attributes read-only, hidden, system, archive live in a side table (persisted in
//   ROOT/attributes.txt); creating over or deleting a read-only file fails with "access
//   denied", as does creating over a hidden or system file. Streams share as the Win32 layer's
//   do: a file open for writing cannot be opened, created or deleted until its stream closes;
//   a file open for reading can be read again but not created or deleted (sharing violation).
//   HoldFile holds such a write stream; creating the file is a change the fault hook sees, and
//   letting go deletes it on the host directly, as the system's delete-on-close does even for
//   a killed process (the fault hook refuses nothing there).
//   HoldByOtherProgram marks a file as held by another program that shares nothing: opening,
//   creating and deleting it fail with a sharing violation until ReleaseByOtherProgram, or until
//   the holder has refused a given number of those attempts (so that a retry is seen to succeed).
// - ReplaceFileAtRestart appends to a list of pending replacements (PendingRenames) that nothing
//   carries out: the machine never restarts. CancelReplaceAtRestart takes a source off it.
// - The registry lives in memory, loaded from ROOT/registry.reg and written back by Save() and
//   on destruction.
// - Process starts and shell requests are appended to ROOT/actions.log (one UTF-8 line each)
//   and not executed; "regedit /s <file>" applies the file to the registry when
//   SandboxConfig::applyRegImports is set. A process started through StartProcess has ended
//   by the time the call returns.
// - There are no short (8.3) names: LongPathName gives the path as given.
// - RandomBytes draws from the host's random device.
// - Shell links are real .lnk files (platform/LnkFormat.h).
// - A host link (symbolic link) anywhere inside ROOT is never followed: a path through one
//   fails ("系统无法访问此文件。", naming the linked element), as do registry.reg,
//   attributes.txt and actions.log when they are links. So nothing outside ROOT is touched.
//
// Errors: the constructor throws sk::Error when ROOT cannot be prepared or registry.reg is
// malformed; the throwing Platform operations throw sk::Error naming the file and the reason.
// The object is not thread-safe. Streams and registry keys it hands out may outlive it.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sandbox/FaultHook.h"

namespace sk {

namespace sandbox {
class FolderNames;
class LinkFreeLookup;
class SandboxRegistry;
struct WinPath;
}  // namespace sandbox

struct SandboxConfig {
  std::filesystem::path root;  // host folder of the machine (created when missing)

  std::string windowsDir = "C:\\Windows";
  std::string systemDir = "C:\\Windows\\system32";
  std::string programFiles = "C:\\Program Files";  // special folder 38 unless set there
  std::string tempPath = "C:\\Users\\user\\AppData\\Local\\Temp\\";  // as GetTempPath reports it
  // Special folders by CSIDL, no trailing backslash. Missing numbers have no folder.
  std::map<int, std::string> specialFolders = {
      {0, "C:\\Users\\user\\Desktop"},
      {2, "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
      {23, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
      {26, "C:\\Users\\user\\AppData\\Roaming"},
      {35, "C:\\ProgramData"},
  };
  // Fixed drives (upper-case letters) and the free bytes each reports.
  std::map<char, int64_t> drives = {{'C', int64_t{500} << 30}};
  std::optional<OsVersion> version = OsVersion{2, 6, 1, 7601};  // nullopt: the query fails
  std::string currentDirectory = "C:\\Setup";
  std::string executablePath = "C:\\Setup\\Setup.exe";
  int utcOffsetMinutes = 0;  // local time = UTC + offset (LocalFileTimeToUtc)
  // LocalNow: this fixed local FILETIME value; nullopt: the host's clock plus the offset.
  std::optional<int64_t> localNow;
  bool applyRegImports = true;
  bool createFolders = true;  // create the Windows, temp, special and current folders
};

class SandboxPlatform : public Platform {
 public:
  explicit SandboxPlatform(SandboxConfig config);
  ~SandboxPlatform() override;  // saves the registry and attributes when changed, silently
  SandboxPlatform(const SandboxPlatform&) = delete;
  SandboxPlatform& operator=(const SandboxPlatform&) = delete;

  const SandboxConfig& config() const { return config_; }
  // The fault-injection hook every change of this machine passes (see FaultHook.h).
  FaultHook& Faults() { return *faults_; }
  // Writes registry.reg and attributes.txt; throws sk::Error when they cannot be written.
  void Save();
  // Host path of a Windows path (existing elements in their stored case); nullopt when the
  // path is invalid or on a drive that does not exist.
  std::optional<std::filesystem::path> HostPath(const std::string& winPath);
  std::filesystem::path ActionsLogPath() const { return config_.root / "actions.log"; }
  std::filesystem::path RegistryPath() const { return config_.root / "registry.reg"; }
  // Another program holds `path` (see above); with `refusals`, it lets go once it has refused
  // that many opens, creations or deletions of the file. A later call replaces an earlier one.
  void HoldByOtherProgram(const std::string& path, std::optional<int> refusals = std::nullopt);
  void ReleaseByOtherProgram(const std::string& path);
  // How many attempts on held files were refused so far.
  int HeldRefusals() const { return heldRefusals_; }
  struct PendingRename {
    std::string source;
    std::string target;
    bool operator==(const PendingRename&) const = default;
  };
  // The replacements scheduled for the next restart, oldest first.
  const std::vector<PendingRename>& PendingRenames() const { return pendingRenames_; }

  std::string ExecutablePath() override;
  std::string CurrentDirectory() override;
  void ProcessMessages() override;

  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool ForceDirectories(const std::string& path) override;
  std::unique_ptr<InputStream> OpenRead(const std::string& path) override;
  std::unique_ptr<OutputStream> CreateFile(const std::string& path) override;
  std::unique_ptr<FileHold> HoldFile(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  uint32_t GetFileAttributes(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
  std::optional<int64_t> GetFileWriteTime(const std::string& path) override;
  bool SetFileWriteTime(const std::string& path, int64_t utcFileTime) override;
  std::optional<int64_t> LocalFileTimeToUtc(int64_t localFileTime) override;
  std::optional<int64_t> LocalNow() override;
  bool CopyFileIfAbsent(const std::string& from, const std::string& to) override;
  std::vector<std::string> ListDirectory(const std::string& path) override;
  int64_t GetDiskFreeSpace(const std::string& root) override;
  std::string GetFixedDrives() override;
  bool ReplaceFileAtRestart(const std::string& source, const std::string& target) override;
  bool CancelReplaceAtRestart(const std::string& source) override;
  // Does not wait: adds the time to PausedMs.
  void Pause(uint32_t ms) override { pausedMs_ += ms; }
  uint64_t PausedMs() const { return pausedMs_; }

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

  // Files currently open (folded Windows paths); shared with the open streams.
  struct OpenFiles {
    std::set<std::string> writing;
    std::map<std::string, int> reading;
    bool Busy(const std::string& key) const { return writing.count(key) || reading.count(key); }
  };

 private:
  struct Resolved;
  Resolved Resolve(const std::string& path);
  [[noreturn]] void Fail(const char* what, const std::string& path, int code);
  // Fails with the reason a path could not be resolved (naming a link it met).
  [[noreturn]] void Fail(const char* what, const std::string& path, const Resolved& r);
  std::optional<std::string> ReadWholeFile(const std::string& path);
  uint32_t StoredAttributes(const Resolved& r) const;
  void LogAction(const std::string& gbkLine);
  void MaybeApplyRegImport(const std::string& commandLine);
  void LoadAttributes();
  // True when a held file refuses this attempt (counted against its refusals).
  bool HeldRefuses(const std::string& key);

  SandboxConfig config_;
  std::shared_ptr<FaultHook> faults_ = std::make_shared<FaultHook>();
  std::shared_ptr<sandbox::SandboxRegistry> registry_;
  std::shared_ptr<OpenFiles> openFiles_;
  std::unique_ptr<sandbox::FolderNames> folderNames_;  // stored spellings of host names
  std::unique_ptr<sandbox::LinkFreeLookup> noLinks_;   // path checks that never follow links
  std::map<std::string, uint32_t> attributes_;         // folded Windows path -> attribute bits
  bool attributesDirty_ = false;
  std::map<std::string, std::optional<int>> held_;  // folded path -> refusals left (none: all)
  int heldRefusals_ = 0;
  uint64_t pausedMs_ = 0;
  std::vector<PendingRename> pendingRenames_;
};

}  // namespace sk
