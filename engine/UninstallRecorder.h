// UninstallRecorder: the recorder of everything one install run creates (folders, files, shortcuts,
// registry keys and values), and the compressed uninstall log it is saved to.
//
// Log body (little-endian): String ProductName, String UninstallKey, Int32 record count, then per
// record String Root, String Path, String ValueName, byte RemoveFlag, byte Kind. A String is an
// Int32 byte count and the GBK bytes. The file holds the body cut into 3 MiB pieces, each an
// Int32 length and one zlib stream at level 9.
//
// Ownership: the recorder borrows the Platform (must outlive it) and owns its records.
// The Uninstall entry carries, besides its seven values, the SHA-256 (hex) of the log file the
// same install saved (kLogDigestValue): the uninstaller acts only on a log that matches it.
//
// Errors: Add*/Create* never fail (a level that cannot be created is not recorded).
// LoadFromFile throws sk::Error naming the file and the damage when the log is malformed; the
// recorder is then unchanged. SaveToFile builds the whole file in memory first and throws
// sk::Error when it cannot be written, removing the partial file.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/Platform.h"

namespace sk {

namespace unins_kind {
constexpr uint8_t File = 0;
constexpr uint8_t Folder = 1;
constexpr uint8_t Registry = 2;
}  // namespace unins_kind

struct TUnInsData {
  std::string Root;       // registry records: root handle as unsigned decimal text; else ""
  std::string Path;       // file/folder path, or key path below the root
  std::string ValueName;  // registry value name; "" for a created key, files and folders
  uint8_t RemoveFlag = 1;
  uint8_t Kind = unins_kind::File;

  bool operator==(const TUnInsData&) const = default;
};

// Limits of a log that a reader accepts: the compressed file, the inflated body and the number
// of records (far above what an install writes; they keep a crafted log from exhausting memory).
constexpr size_t kMaxLogFile = 64u << 20;
constexpr size_t kMaxLogBody = 64u << 20;
constexpr size_t kMaxLogRecords = 500000;

// The folded identity of a record (kind, then the compared fields): equal records, as the
// recorder de-duplicates them, have equal identities.
std::string RecordIdentity(const TUnInsData& record);

// The Uninstall entry's value that holds the SHA-256 (lower-case hex) of the saved log file.
inline constexpr char kLogDigestValue[] = "UninstallLogDigest";

// The uninstall log's path: the uninstaller path with its last three bytes replaced by "log".
std::string UninstallLogPath(const std::string& uninstallerPath);

// The bytes of the log file at `path`, read once; throws Error when it cannot be read or is
// larger than kMaxLogFile.
std::string ReadLogFile(Platform& platform, const std::string& path);
// Creates or truncates `path` with `bytes`; throws Error when it cannot be written, removing
// the partial file.
void WriteLogFile(Platform& platform, const std::string& path, const std::string& bytes);

// The unsigned decimal text of a root handle, as the log stores it ("2147483650" for HKLM).
std::string RootText(RegRoot root);

class UninstallRecorder {
 public:
  explicit UninstallRecorder(Platform& platform) : platform_(platform) {}
  UninstallRecorder(const UninstallRecorder&) = delete;
  UninstallRecorder& operator=(const UninstallRecorder&) = delete;

  void Clear();
  void SetProductName(const std::string& name) { ProductName_ = name; }
  void SetUninstallKey(const std::string& key) { UninstallKey_ = key; }
  const std::string& ProductName() const { return ProductName_; }
  const std::string& UninstallKey() const { return UninstallKey_; }
  const std::vector<TUnInsData>& Records() const { return Records_; }

  // Append a record unless an equal one (paths and names compared ASCII case-insensitively)
  // exists; an existing record is left as it is, flag included.
  void AddFile(const std::string& path, uint8_t removeFlag);
  void AddFolder(const std::string& path);
  void AddRegKey(const std::string& rootText, const std::string& keyPath,
                 const std::string& valueName);
  // Appends a record as it is (flag and kind included), unless an equal one exists.
  void AddRecord(const TUnInsData& record);
  // Inserts the records that have no equal yet before position `at` (the end when beyond it),
  // keeping their order; returns how many were inserted.
  size_t InsertRecords(size_t at, const std::vector<TUnInsData>& records);
  // True when a file record names `path` (compared as AddFile compares).
  bool HasFile(const std::string& path) const;

  // Creates every missing level of `path` (drive first) and records each level it created.
  void CreateFolderPath(const std::string& path);
  // Creates every missing key level of `keyPath` under `root` and records each one created.
  void CreateKeyPath(RegRoot root, const std::string& keyPath);

  // Writes the product's Uninstall entry under HKEY_LOCAL_MACHINE (seven REG_SZ values, then
  // the log digest when one is given). Nothing is written when the key cannot be opened or the
  // uninstall key name is empty.
  void WriteUninstallEntry(const std::string& uninstallerPath, const std::string& itemName,
                           const std::string& version, const std::string& url,
                           const std::string& author, const std::string& serial,
                           const std::string& installDir, const std::string& logDigest = {});

  // Reads a log; a missing file changes nothing. Throws Error (and no other exception) on a
  // damaged log or one beyond the limits above; the recorder is unchanged then.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  // The log file's bytes, and their inverse (`what` names the source in error messages).
  std::string SaveToBytes() const;
  void LoadFromBytes(const std::string& fileBytes, const std::string& what);
  // The uncompressed body.
  std::string SerializeBody() const;

 private:
  void ParseLog(const std::string& fileBytes, const std::string& what);
  bool Remember(std::string key);
  void Append(TUnInsData record);

  Platform& platform_;
  std::string ProductName_;
  std::string UninstallKey_;
  std::vector<TUnInsData> Records_;
  std::unordered_set<std::string> keys_;  // folded identity of every record, for de-duplication
};

}  // namespace sk
