// Test support for every subsystem: make packages with the real writer.
//
// PackageBuilder collects settings, file items with their bytes (in memory), folders, registry
// values, shortcuts and components in a TCompile, then writes stub + preamble + data regions +
// settings block + trailer with sk::PackageWriter. DataStart / DataEnd / UncompressedSize of
// every item with data are filled in by Build; records returned by the adders stay owned by the
// builder and may be changed until Build (e.g. attributes, FileTime, TargetOs).
//
// Also here: in-memory InputStream / OutputStream, a Platform whose every operation fails
// quietly (for code that needs a Platform but no machine), and host-file helpers.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "package/Compile.h"
#include "platform/Platform.h"

namespace sk::test {

// Reads from a byte string it owns.
class StringInputStream : public InputStream {
 public:
  explicit StringInputStream(std::string data) : data_(std::move(data)) {}
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  int64_t Position() override { return pos_; }
  void Seek(int64_t absolute) override;
  size_t Read(void* buffer, size_t n) override;

 private:
  std::string data_;
  int64_t pos_ = 0;
};

// Appends to a byte string owned by the caller.
class StringOutputStream : public OutputStream {
 public:
  explicit StringOutputStream(std::string& target) : target_(target) {}
  void Write(const void* data, size_t n) override {
    target_.append(static_cast<const char*>(data), n);
  }
  void Close() override {}

 private:
  std::string& target_;
};

// A machine with nothing on it: queries answer "absent", operations that must throw do so.
class NullPlatform : public Platform {
 public:
  std::string ExecutablePath() override { return {}; }
  std::string CurrentDirectory() override { return {}; }
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
  std::optional<OsVersion> GetVersion() override { return {}; }
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
  std::optional<ShellLinkInfo> ReadShellLink(const std::string&) override { return {}; }
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

// The bytes put before the package when no stub is given.
inline const std::string kTestStub = "MZ setupkit test stub\n";

class PackageBuilder {
 public:
  PackageBuilder();
  ~PackageBuilder();
  PackageBuilder(const PackageBuilder&) = delete;
  PackageBuilder& operator=(const PackageBuilder&) = delete;

  TCompileData& Setting(const std::string& name, const std::string& value, uint8_t group = 0);
  // A file item carrying `bytes` (Kinds 0, 2, 3, 4, 5).
  TCompileFileData& File(const std::string& sourcePath, const std::string& targetDir,
                         std::string bytes, uint8_t kind = kind::File);
  // A folder item (Kind 1): TargetDir + "\" + Name is created.
  TCompileFileData& Folder(const std::string& targetDir, const std::string& name);
  TRegInfoData& RegValue(const std::string& keyPath, const std::string& valueName,
                         const std::string& valueData, uint8_t valueType = 0);
  TShotCutData& Shortcut(const std::string& folder, const std::string& name,
                         const std::string& target, uint8_t kind = 0);
  TCompileCompData& Component(const std::string& name, int64_t size);
  StringList& FileFolders() { return model_.FileFolderList(); }
  StringList& RegFolders() { return model_.RegFolderList(); }
  StringList& ShotCutFolders() { return model_.ShotCutFolderList(); }

  PackageBuilder& Serial(const std::string& serial);
  // Overrides the trailer's Size (default: the sum of the data sizes of Kind-0 items).
  PackageBuilder& Size(int64_t size);
  // Writes a trailer with settings offset 0 and no settings block.
  PackageBuilder& WithoutSettings();
  PackageBuilder& Threads(unsigned threads);

  // The model as it will be written (offsets are filled in by Build).
  TCompile& Model() { return model_; }

  // stub + package.
  std::string Build(const std::string& stub = kTestStub);
  // Writes stub + package to a host file.
  void WriteTo(const std::string& hostPath, const std::string& stub = kTestStub);
  // Writes a copy of the host file `stubHostPath` (e.g. a built Setup.exe) with the package
  // appended to `hostPath`.
  void WriteWithStubFile(const std::string& stubHostPath, const std::string& hostPath);

 private:
  NullPlatform platform_;
  TCompile model_;
  std::map<const TCompileFileData*, std::string> data_;
  std::optional<int64_t> size_;
  bool withSettings_ = true;
  unsigned threads_ = 1;
};

// Host-file helpers (paths in the host's own form).
std::string ReadHostFile(const std::string& hostPath);
void WriteHostFile(const std::string& hostPath, const std::string& bytes);

}  // namespace sk::test
