// The operating-system interface that the package model, the engine and the windows use.
//
// Contract:
// - Every path and text is a GBK byte string (std::string) in Windows form ("C:\Dir\file.txt").
//   Implementations convert at their own boundary: the Win32 layer to UTF-16 with code page 936,
//   the sandbox to UTF-8 host names.
// - Queries that the callers treat as "may fail silently" return false / empty / nullptr / -1.
//   Operations whose failure must end an install (opening the package, creating a target file,
//   writing to it) throw sk::Error with a message that names the file and the reason.
// - One Platform object is created by the program entry (or a test, or the CLI) and handed down
//   by reference. Nothing here is global.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Error.h"

namespace sk {

// Predefined registry roots with their handle values (the uninstall log stores these numbers).
enum class RegRoot : uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
  CurrentConfig = 0x80000005u,
};

// Registry value types that the system reads and writes.
enum class RegType : uint32_t { String = 1, Binary = 3, Dword = 4, Other = 0xFFFFFFFFu };

struct RegValue {
  RegType type = RegType::Other;
  std::string data;  // REG_SZ: GBK text without terminator; REG_DWORD: 4 bytes LE; binary: bytes
};

// The version record of the running system (GetVersionEx).
struct OsVersion {
  uint32_t platformId = 0;  // 0 Win32s, 1 Windows 95 family, 2 NT family
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

// Windows file attribute bits used by the system.
namespace attr {
constexpr uint32_t ReadOnly = 0x01;
constexpr uint32_t Hidden = 0x02;
constexpr uint32_t System = 0x04;
constexpr uint32_t Directory = 0x10;
constexpr uint32_t Archive = 0x20;
constexpr uint32_t Normal = 0x80;
constexpr uint32_t ReparsePoint = 0x400;  // a link or junction: never descended into
constexpr uint32_t Invalid = 0xFFFFFFFFu;
}  // namespace attr

// Show commands (ShowWindow values).
namespace show {
constexpr int Hide = 0;
constexpr int Normal = 1;
constexpr int Maximized = 3;
}  // namespace show

// A readable byte stream: the package (opened with read and write sharing) or any file.
class InputStream {
 public:
  virtual ~InputStream() = default;
  virtual int64_t Size() = 0;
  virtual int64_t Position() = 0;
  virtual void Seek(int64_t absolute) = 0;  // throws Error when the position is invalid
  // Reads up to n bytes; returns how many were read (fewer only at the end of the data).
  // Throws Error on an I/O failure.
  virtual size_t Read(void* buffer, size_t n) = 0;
};

// A writable byte sink. Write throws Error (naming the file and the reason) on failure.
class OutputStream {
 public:
  virtual ~OutputStream() = default;
  virtual void Write(const void* data, size_t n) = 0;
  // Flushes and closes; throws Error when the data could not be written. The destructor closes
  // silently when Close was not called.
  virtual void Close() = 0;
  // Hands the bytes written so far to the system (not to the disk): a process killed after
  // Flush returns loses none of them. Throws Error as Write does. Streams that keep written
  // bytes in a buffer of their own override it.
  virtual void Flush() {}
  // Asks Close to give the file this last-write time (UTC FILETIME) once the data is written,
  // through the handle already open. False when the stream cannot: the caller then sets the time
  // by path after Close (Platform::SetFileWriteTime), which costs another open of the file.
  virtual bool SetWriteTimeOnClose(int64_t utcFileTime) { return false; }
};

// A registry value exactly as the system stores it: its type number (REG_SZ 1, REG_EXPAND_SZ 2,
// REG_BINARY 3, REG_DWORD 4, ...) and its bytes as the platform keeps them. What ReadStored gives,
// WriteStored puts back unchanged, so a value can be restored byte for byte, type included.
struct StoredRegValue {
  uint32_t type = 0;
  std::string bytes;
  bool operator==(const StoredRegValue&) const = default;
};

// A file held open without sharing (Platform::HoldFile): while the object lives, no other
// opener gets the file. Destroying it lets go of the file and deletes it.
class FileHold {
 public:
  virtual ~FileHold() = default;
};

// An open registry key. Released (RegCloseKey) when destroyed.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual bool WriteString(const std::string& name, const std::string& value) = 0;
  virtual bool WriteDword(const std::string& name, uint32_t value) = 0;
  virtual bool WriteBinary(const std::string& name, const std::string& bytes) = 0;
  virtual std::optional<RegValue> ReadValue(const std::string& name) = 0;
  virtual bool ValueExists(const std::string& name) = 0;
  // The value as stored (nullopt when absent), and writing such a value back. Stand-ins that do
  // not keep values keep these defaults: nothing read, nothing written.
  virtual std::optional<StoredRegValue> ReadStored(const std::string& /*name*/) {
    return std::nullopt;
  }
  virtual bool WriteStored(const std::string& /*name*/, const StoredRegValue& /*value*/) {
    return false;
  }
  // Removes one value; false when it does not exist or cannot be removed.
  // Stand-ins that only answer reads keep these defaults: nothing to list, nothing removed.
  virtual bool DeleteValue(const std::string& /*name*/) { return false; }
  // Names of the key's values ("" for the default value) and of its direct subkeys.
  virtual std::vector<std::string> ValueNames() { return {}; }
  virtual std::vector<std::string> SubKeyNames() { return {}; }
};

// A process started through Platform::StartProcess. Destroying the object only lets go of it;
// the process runs on.
class ChildProcess {
 public:
  virtual ~ChildProcess() = default;
  // Waits at most timeoutMs milliseconds; true when the process has ended.
  virtual bool Wait(uint32_t timeoutMs) = 0;
};

// Properties of a shell link (.lnk) as a reader of the link sees them.
struct ShellLinkInfo {
  std::string target;
  std::string arguments;
  std::string description;
  std::string workingDir;
  std::string iconPath;  // empty: no icon location set
  int iconIndex = 0;
  int showCommand = show::Normal;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // ---- the running program ----
  virtual std::string ExecutablePath() = 0;    // full path of the running setup executable
  virtual std::string CurrentDirectory() = 0;  // process working folder, no trailing backslash
  virtual void ProcessMessages() = 0;          // pump pending GUI messages once (no-op off-GUI)

  // ---- files and folders ----
  virtual bool FileExists(const std::string& path) = 0;        // an existing file (not a folder)
  virtual bool DirectoryExists(const std::string& path) = 0;   // an existing folder
  virtual bool CreateDirectory(const std::string& path) = 0;   // one level; false on failure
  virtual bool ForceDirectories(const std::string& path) = 0;  // with all missing parents
  virtual std::unique_ptr<InputStream> OpenRead(const std::string& path) = 0;  // throws Error
  // Creates or truncates a file for exclusive writing; throws Error naming the file and reason.
  virtual std::unique_ptr<OutputStream> CreateFile(const std::string& path) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Removes an empty folder; false when it is not empty, absent or cannot be removed.
  virtual bool RemoveDirectory(const std::string& path) = 0;
  virtual uint32_t GetFileAttributes(const std::string& path) = 0;  // attr::Invalid when absent
  virtual bool SetFileAttributes(const std::string& path, uint32_t attributes) = 0;
  // Last-write time as a FILETIME value (100 ns units since 1601-01-01 UTC).
  virtual std::optional<int64_t> GetFileWriteTime(const std::string& path) = 0;
  virtual bool SetFileWriteTime(const std::string& path, int64_t utcFileTime) = 0;
  // LocalFileTimeToFileTime: local FILETIME value to UTC.
  virtual std::optional<int64_t> LocalFileTimeToUtc(int64_t localFileTime) = 0;
  // The current local time as a FILETIME value (100 ns units since 1601-01-01, local time);
  // nullopt when the machine cannot tell.
  virtual std::optional<int64_t> LocalNow() { return std::nullopt; }
  virtual bool CopyFileIfAbsent(const std::string& from, const std::string& to) = 0;
  // Opens the file at path (created when absent; its folder must exist) without sharing and
  // holds it until the result is destroyed, which deletes it. The system lets go of it (and
  // deletes it) when the process ends in any way, a kill included. nullptr when another holder
  // has the file open (a sharing violation); throws Error naming the file and the reason for
  // any other failure. This default holds the stream of CreateFile, which does not share, and
  // reports every failure as an Error; it leaves the file behind.
  virtual std::unique_ptr<FileHold> HoldFile(const std::string& path) {
    struct StreamHold : FileHold {
      std::unique_ptr<OutputStream> stream;
    };
    auto hold = std::make_unique<StreamHold>();
    hold->stream = CreateFile(path);
    return hold;
  }
  // Names (not paths) of the entries of a folder, "." and ".." excluded.
  virtual std::vector<std::string> ListDirectory(const std::string& path) = 0;
  // Free bytes available to the caller on the volume of root ("C:\"), -1 when unknown.
  virtual int64_t GetDiskFreeSpace(const std::string& root) = 0;
  virtual std::string GetFixedDrives() = 0;  // drive letters of fixed disks, e.g. "CD"
  // The long form of a path: the part of it that exists with every short (8.3) name replaced
  // by the element's long name (GetLongPathName), the elements below that as given. A system
  // without short names, and any failure, gives the path as given.
  virtual std::string LongPathName(const std::string& path) { return path; }

  // Replaces `target` by `source` (both in the same folder) when the machine next restarts,
  // through the system's list of renames made at start-up; the caller needs administrator
  // rights. False when the replacement could not be scheduled.
  virtual bool ReplaceFileAtRestart(const std::string& /*source*/, const std::string& /*target*/) {
    return false;
  }
  // Takes every replacement of `source` scheduled by ReplaceFileAtRestart off that list again;
  // true when none is left (also when there was none).
  virtual bool CancelReplaceAtRestart(const std::string& /*source*/) { return true; }

  // ---- system folders and version ----
  // Path of a special folder by CSIDL number, no trailing backslash; empty when it does not exist.
  virtual std::string GetSpecialFolderPath(int csidl) = 0;
  // GetTempPath as the system reports it (with trailing backslash), at any length.
  virtual std::string GetTempPath() = 0;
  virtual std::string GetWindowsDirectory() = 0;  // no trailing backslash
  virtual std::string GetSystemDirectory() = 0;   // the system folder, no trailing backslash
  virtual std::optional<OsVersion> GetVersion() = 0;

  // ---- registry ----
  // Opens root\subKey (a leading "\" is ignored); with create, missing keys are created.
  // nullptr when the key cannot be opened.
  virtual std::unique_ptr<RegistryKey> OpenKey(RegRoot root, const std::string& subKey,
                                               bool create) = 0;
  virtual bool KeyExists(RegRoot root, const std::string& subKey) = 0;
  // Creates exactly this key (its parent must exist or is created too); true on success.
  virtual bool CreateKey(RegRoot root, const std::string& subKey) = 0;
  // Deletes a key that has no subkeys (its values go with it); false otherwise.
  virtual bool DeleteKey(RegRoot root, const std::string& subKey) = 0;

  // ---- processes and the shell ----
  virtual bool StartProgram(const std::string& commandLine, int showCommand) = 0;  // WinExec
  // Starts the command line like StartProgram and keeps hold of the process, so that the caller
  // can wait for it; nullptr when it could not be started.
  virtual std::unique_ptr<ChildProcess> StartProcess(const std::string& commandLine,
                                                     int showCommand) = 0;
  virtual bool ShellExecute(const std::string& verb, const std::string& file,
                            const std::string& params, const std::string& dir, int showCommand) = 0;
  // ShellExecuteEx with the default verb; waits for the process in 10 ms steps calling pump()
  // after each, until it ends or stop() answers true. False when it could not be started.
  virtual bool ShellExecuteAndWait(const std::string& file, const std::string& params,
                                   int showCommand, const std::function<void()>& pump,
                                   const std::function<bool()>& stop) = 0;

  // ---- shell links ----
  // Saves a link at linkPath (the folder must exist); false when it could not be saved.
  virtual bool CreateShellLink(const std::string& linkPath, const ShellLinkInfo& link) = 0;
  virtual std::optional<ShellLinkInfo> ReadShellLink(const std::string& linkPath) = 0;
  // Invokes every shell verb of the file whose display name contains verbText; returns how
  // many were invoked. Throws Error when the shell automation object reports a failure.
  virtual int InvokeShellVerbs(const std::string& path, const std::string& verbText) = 0;

  // ---- INI files (profile functions) ----
  virtual std::vector<std::string> IniSectionKeys(const std::string& iniPath,
                                                  const std::string& section) = 0;
  virtual std::string IniReadString(const std::string& iniPath, const std::string& section,
                                    const std::string& key, const std::string& def) = 0;
  // The keys IniSectionKeys lists, each with the value IniReadString gives for it (a repeated
  // key repeats the value of its first line), reading the file once for the whole section.
  virtual std::vector<std::pair<std::string, std::string>> IniSectionValues(
      const std::string& iniPath, const std::string& section) = 0;

  // ---- waiting ----
  // Lets `ms` milliseconds pass (a retry's wait). Stand-ins do not wait.
  virtual void Pause(uint32_t /*ms*/) {}

  // ---- randomness ----
  // Fills buffer with n bytes from the system's cryptographic random source (names that other
  // programs must not guess); false when the source is unavailable.
  virtual bool RandomBytes(void* buffer, size_t n) = 0;

  // ---- shutdown ----
  virtual bool EnableShutdownPrivilege() = 0;
  virtual bool RequestReboot() = 0;  // ExitWindowsEx(EWX_REBOOT, 0)
};

}  // namespace sk
