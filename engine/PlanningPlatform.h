// A machine that only pretends to change: the Platform the install plan is computed on.
//
// PlanningPlatform wraps the real machine's Platform. Reads go to the machine unless this run
// changed what they read; every change (files, folders, attributes, dates, shell links, registry
// keys and values) is kept in an overlay in memory, and later reads see it. Programs are never
// started: StartProgram, StartProcess, ShellExecute, ShellExecuteAndWait, InvokeShellVerbs and
// RequestReboot are noted and answer as if the program ran and ended at once. So the real setup
// code runs unchanged on it, and Plan() then tells what that run would do to the machine:
// the net changes, each with the state it replaces, in the order they were first made, and the
// programs it would start (engine/InstallPlan.h).
//
// Bounds: file bytes are kept for files up to kKeptFileBytes each and kKeptTotalBytes in all;
// beyond that only the size is kept, and reading such a file back throws sk::Error. A registry
// value written with WriteString/WriteDword/WriteBinary reads back as written; its stored form
// (ReadStored) has the type and those bytes (texts as GBK, whatever the machine keeps).
// A .reg file handed to regedit is noted as a program, not applied.
//
// Ownership: borrows the inner Platform, which must outlive this object and is never changed
// through it. Streams and keys it hands out must not outlive it. Not thread-safe.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/InstallPlan.h"
#include "platform/Platform.h"

namespace sk {

class PlanningPlatform : public Platform {
 public:
  static constexpr int64_t kKeptFileBytes = int64_t{16} << 20;
  static constexpr int64_t kKeptTotalBytes = int64_t{256} << 20;

  explicit PlanningPlatform(Platform& inner);
  ~PlanningPlatform() override;

  // Makes a file appear at `path` without it counting as a change: its bytes come from
  // `open` each time it is read (the setup file itself, kept outside the machine).
  void Provide(const std::string& path, int64_t size,
               std::function<std::unique_ptr<InputStream>()> open);
  // Everything changed so far is the machine's starting state, not part of the plan (folders
  // a fresh profile has, made before the setup runs).
  void MarkBaseline();
  // Tells the plan that the install placed the file at `path` (its progress event): a file that
  // is there and stays unchanged becomes a "kept" item.
  void NoteFilePlaced(const std::string& path);
  // The run's net changes and program starts, in the order they were first made.
  InstallPlan Plan();

  // ---- Platform ----
  std::string ExecutablePath() override { return inner_.ExecutablePath(); }
  std::string CurrentDirectory() override { return inner_.CurrentDirectory(); }
  void ProcessMessages() override {}
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool ForceDirectories(const std::string& path) override;
  std::unique_ptr<InputStream> OpenRead(const std::string& path) override;
  std::unique_ptr<OutputStream> CreateFile(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  // The run's lock on its journal folder: held in the overlay and deleted again when let go,
  // so that the run's own bookkeeping leaves no item in the plan.
  std::unique_ptr<FileHold> HoldFile(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  uint32_t GetFileAttributes(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
  std::optional<int64_t> GetFileWriteTime(const std::string& path) override;
  bool SetFileWriteTime(const std::string& path, int64_t utcFileTime) override;
  std::optional<int64_t> LocalFileTimeToUtc(int64_t t) override {
    return inner_.LocalFileTimeToUtc(t);
  }
  std::optional<int64_t> LocalNow() override { return inner_.LocalNow(); }
  bool CopyFileIfAbsent(const std::string& from, const std::string& to) override;
  std::vector<std::string> ListDirectory(const std::string& path) override;
  int64_t GetDiskFreeSpace(const std::string& root) override {
    return inner_.GetDiskFreeSpace(root);
  }
  std::string GetFixedDrives() override { return inner_.GetFixedDrives(); }
  std::string LongPathName(const std::string& path) override { return inner_.LongPathName(path); }
  std::string GetSpecialFolderPath(int csidl) override;
  std::string GetTempPath() override { return inner_.GetTempPath(); }
  std::string GetWindowsDirectory() override { return inner_.GetWindowsDirectory(); }
  std::string GetSystemDirectory() override { return inner_.GetSystemDirectory(); }
  std::optional<OsVersion> GetVersion() override { return inner_.GetVersion(); }
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
  std::vector<std::string> IniSectionKeys(const std::string& ini,
                                          const std::string& section) override;
  std::string IniReadString(const std::string& ini, const std::string& section,
                            const std::string& key, const std::string& def) override;
  std::vector<std::pair<std::string, std::string>> IniSectionValues(
      const std::string& ini, const std::string& section) override;
  bool RandomBytes(void* buffer, size_t n) override { return inner_.RandomBytes(buffer, n); }
  bool EnableShutdownPrivilege() override { return true; }
  bool RequestReboot() override;

  // The overlay's records; public for the streams and keys this platform hands out.
  struct FileEntry;
  struct KeyEntry;
  struct ValueEntry;
  FileEntry* Entry(const std::string& path);
  // The entry of an existing file, made from the machine's file on its first change.
  FileEntry& Touch(const std::string& path);
  void StoreBytes(FileEntry& entry, std::string bytes);
  ValueEntry* Value(RegRoot root, const std::string& keyPath, const std::string& name);
  ValueEntry& TouchValue(RegRoot root, const std::string& keyPath, const std::string& name);
  Platform& Inner() { return inner_; }
  uint64_t NextOrder() { return ++order_; }
  std::vector<std::string> SubKeyNames(RegRoot root, const std::string& path);
  std::vector<std::string> OverlayValueNames(RegRoot root, const std::string& path);

 private:
  FileEntry& NewEntry(const std::string& path);
  KeyEntry* Key(RegRoot root, const std::string& subKey);
  std::optional<std::string> WholeFile(const std::string& path);
  // The machine's file at `path` as it is before the run; nullopt when there is none.
  std::optional<PlanFileState> MachineFile(const std::string& path);
  // True when the entry's file is the machine's, unchanged.
  bool Unchanged(const FileEntry& entry, const std::optional<PlanFileState>& before) const;
  void AddFileItems(std::vector<std::pair<uint64_t, PlanItem>>& items);
  void AddRegistryItems(std::vector<std::pair<uint64_t, PlanItem>>& items);
  void NoteProgram(PlanItem::Kind kind, const std::string& command, const std::string& params);

  Platform& inner_;
  std::map<std::string, std::unique_ptr<FileEntry>> files_;  // by folded path
  std::map<std::string, std::unique_ptr<KeyEntry>> keys_;    // by root and folded path
  std::map<std::string, std::unique_ptr<ValueEntry>> values_;
  std::vector<std::pair<uint64_t, PlanItem>> programs_;   // order, item
  std::vector<std::pair<uint64_t, std::string>> placed_;  // order, path
  uint64_t order_ = 0;
  int64_t keptBytes_ = 0;
};

}  // namespace sk
