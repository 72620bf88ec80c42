// The install run as a transaction: every change the run makes to the machine is one work item
// with its undo, noted before the change is made.
//
// TransactionPlatform wraps the machine's Platform for one run and hands every call through.
// Before a call that changes the machine it notes an UndoStep:
// - a file created where none was (CreateFile, CopyFileIfAbsent, CreateShellLink): delete it;
// - a file about to be overwritten, deleted, re-attributed or re-dated for the first time in this
//   run: its bytes are first copied into the run's backup folder, with its attributes and
//   last-write time; the undo writes them back (bytes, then date, then attributes);
// - a folder level or registry key level that did not exist: remove it (when empty);
// - a registry value written or deleted for the first time in this run: its previous type and
//   bytes (StoredRegValue), or its absence; the undo writes the previous value back or deletes it;
// - a file replacement scheduled for the next restart (ReplaceFileAtRestart): take it off the
//   system's list again (the file it would move in is a CreatedFile step of its own);
// - an undo command the run registers itself (AddUndoCommand: unregistering a COM server or a
//   service), run by the undo and waited for (bounded).
// Reads, process starts and shell requests pass through unnoted.
//
// Undo() takes the steps back newest first; a step that cannot be taken back is named in the
// result and the others still run. Commit() forgets the steps and deletes the backups and the
// journal ("b<n>", "journal", and the "j<n>" entries of earlier versions) of the backup folder,
// then the folder when empty. The optional observer sees each step before its change is made
// (the journal that survives a kill writes it to disk there); an observer that throws stops the
// change. The optional `release` is called when the run ends, before the folder is cleared (the
// journal lets go of its file there).
//
// Ownership: borrows the inner Platform (must outlive it); owns its steps. Backups live in
// `backupFolder` (created on the first backup); names "b<n>". Errors: a backup that cannot be
// made throws sk::Error before the change, so nothing is changed without its way back.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace sk {

// The file a run folder holds once its run has ended (committed or undone), while the rest of
// the folder is deleted.
inline constexpr char kRunEndedMark[] = "ended";
// The file of a run folder that the run's journal entries are appended to (Journal.h).
inline constexpr char kJournalName[] = "journal";

struct UndoStep {
  enum class Kind : uint8_t {
    CreatedFile = 1,
    ReplacedFile = 2,
    CreatedFolder = 3,
    CreatedKey = 4,
    NewValue = 5,
    ReplacedValue = 6,
    Command = 7,
    DelayedReplace = 8,  // path: the file to move in at the restart; valueName: its target
  };
  Kind kind = Kind::CreatedFile;
  std::string path = {};  // file or folder; key path below the root; command line for Command
  RegRoot root = RegRoot::LocalMachine;
  std::string valueName = {};
  StoredRegValue previous = {};           // ReplacedValue
  std::string backup = {};                // ReplacedFile: the copy of the previous bytes
  uint32_t attributes = 0;                // ReplacedFile
  std::optional<int64_t> writeTime = {};  // ReplacedFile
  bool operator==(const UndoStep&) const = default;
};

// A short readable line for one step ("replace file C:\App\a.dll"), for plans and messages.
std::string DescribeStep(const UndoStep& step);

// Takes back one step on `platform`; false when the machine could not be brought back for it.
bool UndoOneStep(Platform& platform, const UndoStep& step);

class TransactionPlatform : public Platform {
 public:
  using Observer = std::function<void(const UndoStep&)>;

  TransactionPlatform(Platform& inner, std::string backupFolder, Observer observer = nullptr,
                      std::function<void()> release = nullptr);

  Platform& Inner() { return inner_; }
  const std::vector<UndoStep>& Steps() const { return steps_; }
  // Notes the command that takes back a registration the run is about to make.
  void AddUndoCommand(const std::string& commandLine);
  // The attributes of `path` as the caller has just read them through this platform: the next
  // file change noted takes them instead of reading them again, if it is of `path` (looking up
  // a missing file is costly on some systems). Any next noted file uses the hint up.
  void KnownAttributes(const std::string& path, uint32_t attributes);
  // Takes every step back, newest first; returns the descriptions of those that failed. The
  // steps and backups are gone afterwards.
  std::vector<std::string> Undo();
  // Keeps the changes: forgets the steps and deletes the backups.
  void Commit();

  // ---- Platform ----
  std::string ExecutablePath() override { return inner_.ExecutablePath(); }
  std::string CurrentDirectory() override { return inner_.CurrentDirectory(); }
  void ProcessMessages() override { inner_.ProcessMessages(); }
  bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
  bool DirectoryExists(const std::string& path) override { return inner_.DirectoryExists(path); }
  bool CreateDirectory(const std::string& path) override;
  bool ForceDirectories(const std::string& path) override;
  std::unique_ptr<InputStream> OpenRead(const std::string& path) override {
    return inner_.OpenRead(path);
  }
  std::unique_ptr<OutputStream> CreateFile(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override { return inner_.RemoveDirectory(path); }
  uint32_t GetFileAttributes(const std::string& path) override {
    return inner_.GetFileAttributes(path);
  }
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
  std::optional<int64_t> GetFileWriteTime(const std::string& path) override {
    return inner_.GetFileWriteTime(path);
  }
  bool SetFileWriteTime(const std::string& path, int64_t utcFileTime) override;
  std::optional<int64_t> LocalFileTimeToUtc(int64_t t) override {
    return inner_.LocalFileTimeToUtc(t);
  }
  bool CopyFileIfAbsent(const std::string& from, const std::string& to) override;
  std::vector<std::string> ListDirectory(const std::string& path) override {
    return inner_.ListDirectory(path);
  }
  int64_t GetDiskFreeSpace(const std::string& root) override {
    return inner_.GetDiskFreeSpace(root);
  }
  std::string GetFixedDrives() override { return inner_.GetFixedDrives(); }
  void Pause(uint32_t ms) override { inner_.Pause(ms); }
  bool ReplaceFileAtRestart(const std::string& source, const std::string& target) override;
  bool CancelReplaceAtRestart(const std::string& source) override {
    return inner_.CancelReplaceAtRestart(source);
  }
  std::string LongPathName(const std::string& path) override { return inner_.LongPathName(path); }
  // A hold is the run's own bookkeeping, not a change of the machine.
  std::unique_ptr<FileHold> HoldFile(const std::string& path) override {
    return inner_.HoldFile(path);
  }
  std::string GetSpecialFolderPath(int csidl) override {
    return inner_.GetSpecialFolderPath(csidl);
  }
  std::string GetTempPath() override { return inner_.GetTempPath(); }
  std::string GetWindowsDirectory() override { return inner_.GetWindowsDirectory(); }
  std::string GetSystemDirectory() override { return inner_.GetSystemDirectory(); }
  std::optional<OsVersion> GetVersion() override { return inner_.GetVersion(); }
  std::optional<int64_t> LocalNow() override { return inner_.LocalNow(); }
  std::unique_ptr<RegistryKey> OpenKey(RegRoot root, const std::string& subKey,
                                       bool create) override;
  bool KeyExists(RegRoot root, const std::string& subKey) override {
    return inner_.KeyExists(root, subKey);
  }
  bool CreateKey(RegRoot root, const std::string& subKey) override;
  bool DeleteKey(RegRoot root, const std::string& subKey) override {
    return inner_.DeleteKey(root, subKey);
  }
  bool StartProgram(const std::string& commandLine, int showCommand) override {
    return inner_.StartProgram(commandLine, showCommand);
  }
  std::unique_ptr<ChildProcess> StartProcess(const std::string& commandLine,
                                             int showCommand) override {
    return inner_.StartProcess(commandLine, showCommand);
  }
  bool ShellExecute(const std::string& verb, const std::string& file, const std::string& params,
                    const std::string& dir, int showCommand) override {
    return inner_.ShellExecute(verb, file, params, dir, showCommand);
  }
  bool ShellExecuteAndWait(const std::string& file, const std::string& params, int showCommand,
                           const std::function<void()>& pump,
                           const std::function<bool()>& stop) override {
    return inner_.ShellExecuteAndWait(file, params, showCommand, pump, stop);
  }
  bool CreateShellLink(const std::string& linkPath, const ShellLinkInfo& link) override;
  std::optional<ShellLinkInfo> ReadShellLink(const std::string& linkPath) override {
    return inner_.ReadShellLink(linkPath);
  }
  int InvokeShellVerbs(const std::string& path, const std::string& verbText) override {
    return inner_.InvokeShellVerbs(path, verbText);
  }
  std::vector<std::string> IniSectionKeys(const std::string& ini,
                                          const std::string& section) override {
    return inner_.IniSectionKeys(ini, section);
  }
  std::string IniReadString(const std::string& ini, const std::string& section,
                            const std::string& key, const std::string& def) override {
    return inner_.IniReadString(ini, section, key, def);
  }
  std::vector<std::pair<std::string, std::string>> IniSectionValues(
      const std::string& ini, const std::string& section) override {
    return inner_.IniSectionValues(ini, section);
  }
  bool RandomBytes(void* buffer, size_t n) override { return inner_.RandomBytes(buffer, n); }
  bool EnableShutdownPrivilege() override { return inner_.EnableShutdownPrivilege(); }
  bool RequestReboot() override { return inner_.RequestReboot(); }

  // Used by the keys this platform hands out: notes the value's state before its first change.
  void NoteValue(RegRoot root, const std::string& keyPath, const std::string& name,
                 RegistryKey& key);

 private:
  void Note(UndoStep step);
  // Notes the file's state before its first change in this run (a backup when it exists).
  void NoteFile(const std::string& path);
  void NoteMissingKeys(RegRoot root, const std::string& subKey);

  Platform& inner_;
  std::string backupFolder_;
  Observer observer_;
  std::function<void()> release_;
  std::vector<UndoStep> steps_;
  std::unordered_set<std::string> touched_;  // folded identities of what has a step already
  std::optional<std::pair<std::string, uint32_t>> known_;  // KnownAttributes: identity, value
  int backups_ = 0;
};

}  // namespace sk
