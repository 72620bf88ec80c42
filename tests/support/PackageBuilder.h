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
#include "platform/MemoryStream.h"
#include "platform/NullPlatform.h"
#include "platform/Platform.h"

namespace sk::test {

using sk::NullPlatform;

// Holds the bytes of a StringInputStream; a base so that they exist before the stream.
struct OwnedBytes {
  std::string bytes;
};

// Reads from a byte string it owns.
class StringInputStream : private OwnedBytes, public MemoryInputStream {
 public:
  explicit StringInputStream(std::string data)
      : OwnedBytes{std::move(data)}, MemoryInputStream(bytes) {}
  StringInputStream(const StringInputStream&) = delete;
  StringInputStream& operator=(const StringInputStream&) = delete;
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
  StringList& FileFolders() { return model_.Package().FileFolderList(); }
  StringList& RegFolders() { return model_.Package().RegFolderList(); }
  StringList& ShotCutFolders() { return model_.Package().ShotCutFolderList(); }

  PackageBuilder& Serial(const std::string& serial);
  // Overrides the trailer's Size (default: the sum of the data sizes of Kind-0 items).
  PackageBuilder& Size(int64_t size);
  // The sum of the data sizes of the Kind-0 items added so far (the trailer's default Size).
  int64_t FilesToInstallSize() const;
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
