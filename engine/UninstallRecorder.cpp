// The uninstall recorder and its log file (see UninstallRecorder.h).
#include "engine/UninstallRecorder.h"

#include <algorithm>
#include <initializer_list>
#include <new>
#include <stdexcept>

#include "engine/Texts.h"
#include "package/Compile.h"
#include "package/Container.h"
#include "platform/MemoryStream.h"

namespace sk {

namespace {

// Smallest record in the body: three empty strings and two bytes.
constexpr size_t kMinRecordBytes = 3 * 4 + 2;

// The folded identity of a record: kind tag, then the compared fields separated by NULs.
std::string Identity(char tag, std::initializer_list<const std::string*> fields, bool fold) {
  std::string key(1, tag);
  for (const std::string* f : fields) {
    key += fold ? LowerAscii(*f) : *f;
    key += '\0';
  }
  return key;
}

}  // namespace

std::string RecordIdentity(const TUnInsData& r) {
  switch (r.Kind) {
    case unins_kind::File:
      return Identity('F', {&r.Path}, true);
    case unins_kind::Folder:
      return Identity('D', {&r.Path}, true);
    case unins_kind::Registry:
      return Identity('R', {&r.Root, &r.Path, &r.ValueName}, true);
    default: {  // kinds this system does not write: kept as they are, never merged
      const std::string kindText = std::to_string(r.Kind);
      return Identity('X', {&kindText, &r.Root, &r.Path, &r.ValueName}, false);
    }
  }
}

std::string UninstallLogPath(const std::string& uninstallerPath) {
  const size_t keep = uninstallerPath.size() >= 3 ? uninstallerPath.size() - 3 : 0;
  return uninstallerPath.substr(0, keep) + "log";
}

std::string RootText(RegRoot root) {
  return std::to_string(static_cast<uint32_t>(root));
}

void UninstallRecorder::Clear() {
  Records_.clear();
  keys_.clear();
}

bool UninstallRecorder::Remember(std::string key) {
  return keys_.insert(std::move(key)).second;
}

void UninstallRecorder::Append(TUnInsData record) {
  if (Remember(RecordIdentity(record))) Records_.push_back(std::move(record));
}

void UninstallRecorder::AddFile(const std::string& path, uint8_t removeFlag) {
  Append({"", path, "", removeFlag, unins_kind::File});
}

void UninstallRecorder::AddFolder(const std::string& path) {
  Append({"", path, "", 1, unins_kind::Folder});
}

void UninstallRecorder::AddRegKey(const std::string& rootText, const std::string& keyPath,
                                  const std::string& valueName) {
  Append({rootText, keyPath, valueName, 1, unins_kind::Registry});
}

void UninstallRecorder::AddRecord(const TUnInsData& record) {
  Append(record);
}

size_t UninstallRecorder::InsertRecords(size_t at, const std::vector<TUnInsData>& records) {
  std::vector<TUnInsData> fresh;
  for (const TUnInsData& r : records)
    if (Remember(RecordIdentity(r))) fresh.push_back(r);
  Records_.insert(Records_.begin() + static_cast<std::ptrdiff_t>(std::min(at, Records_.size())),
                  fresh.begin(), fresh.end());
  return fresh.size();
}

bool UninstallRecorder::HasFile(const std::string& path) const {
  return keys_.count(RecordIdentity({"", path, "", 1, unins_kind::File})) != 0;
}

void UninstallRecorder::CreateFolderPath(const std::string& path) {
  std::vector<std::string> parts = SplitText(path, "\\");
  if (parts.empty()) return;
  // A UNC path keeps its leading "\\" so the levels stay absolute.
  std::string level = path.rfind("\\\\", 0) == 0 ? "\\\\" + parts[0] : parts[0];
  for (size_t i = 1; i < parts.size(); ++i) {
    level += "\\" + parts[i];
    if (platform_.DirectoryExists(level)) continue;
    if (platform_.ForceDirectories(level) && platform_.DirectoryExists(level)) AddFolder(level);
  }
}

void UninstallRecorder::CreateKeyPath(RegRoot root, const std::string& keyPath) {
  std::string level;
  for (const std::string& part : SplitText(keyPath, "\\")) {
    level = level.empty() ? part : level + "\\" + part;
    if (platform_.KeyExists(root, level)) continue;
    // A level the system refuses (too long, too deep) has no deeper levels either: stop, so a
    // path of many thousand levels costs one refusal, not a quadratic walk.
    if (!platform_.CreateKey(root, level)) return;
    AddRegKey(RootText(root), level, "");
  }
}

void UninstallRecorder::WriteUninstallEntry(const std::string& uninstallerPath,
                                            const std::string& itemName, const std::string& version,
                                            const std::string& url, const std::string& author,
                                            const std::string& serial,
                                            const std::string& installDir,
                                            const std::string& logDigest) {
  // An empty name would put the values on the Uninstall key itself.
  if (serial.empty()) return;
  auto key =
      platform_.OpenKey(RegRoot::LocalMachine, engine_text::kUninstallKeyBase + serial, true);
  if (!key) return;
  key->WriteString("DisplayIcon", uninstallerPath);
  key->WriteString("DisplayName", itemName + version);
  key->WriteString("DisplayVersion", version);
  key->WriteString("URLInfoAbout", url);
  key->WriteString("Publisher", author);
  key->WriteString("UninstallString", uninstallerPath);
  key->WriteString("Install Dir", installDir);
  if (!logDigest.empty()) key->WriteString(kLogDigestValue, logDigest);
}

std::string UninstallRecorder::SerializeBody() const {
  MemoryWriter w;
  TElement::WriteString(w, ProductName_);
  TElement::WriteString(w, UninstallKey_);
  w.WriteInt32(static_cast<int32_t>(Records_.size()));
  for (const TUnInsData& r : Records_) {
    TElement::WriteString(w, r.Root);
    TElement::WriteString(w, r.Path);
    TElement::WriteString(w, r.ValueName);
    w.WriteByte(r.RemoveFlag);
    w.WriteByte(r.Kind);
  }
  return std::move(w.Data());
}

std::string UninstallRecorder::SaveToBytes() const {
  const std::string body = SerializeBody();
  MemoryWriter out;
  for (size_t at = 0; at < body.size(); at += kChunkPieceSize) {
    std::string piece = ZlibCompress(body.substr(at, kChunkPieceSize), 9);
    out.WriteInt32(static_cast<int32_t>(piece.size()));
    out.WriteBytes(piece.data(), piece.size());
  }
  return std::move(out.Data());
}

void WriteLogFile(Platform& platform, const std::string& path, const std::string& bytes) {
  try {
    auto out = platform.CreateFile(path);
    out->Write(bytes.data(), bytes.size());
    out->Close();
  } catch (const Error&) {
    platform.DeleteFile(path);  // never leave a half-written log behind
    throw;
  }
}

void UninstallRecorder::SaveToFile(const std::string& path) const {
  WriteLogFile(platform_, path, SaveToBytes());
}

void UninstallRecorder::LoadFromBytes(const std::string& fileBytes, const std::string& what) {
  // Whatever the bytes claim, memory stays bounded by the limits above; an allocation that
  // fails all the same is reported as a damaged log, never as another kind of exception.
  try {
    ParseLog(fileBytes, what);
  } catch (const std::bad_alloc&) {
    throw Error(what + ": the log does not fit in memory");
  } catch (const std::length_error&) {
    throw Error(what + ": the log does not fit in memory");
  }
}

void UninstallRecorder::ParseLog(const std::string& fileBytes, const std::string& what) {
  MemoryInputStream in(fileBytes);
  std::string body;
  try {
    ExtractRegion(
        in,
        [&body](const char* data, size_t n) {
          if (n > kMaxLogBody - body.size())
            throw Error("the log inflates to more than " + std::to_string(kMaxLogBody) + " bytes");
          body.append(data, n);
        },
        0, in.Size());
  } catch (const Error& e) {
    throw Error(what + ": " + e.what());
  }
  MemoryReader r(body, what);
  std::string product = TElement::ReadString(r);
  std::string key = TElement::ReadString(r);
  int32_t count = r.ReadInt32();
  if (count < 0 || static_cast<size_t>(count) > r.Remaining() / kMinRecordBytes)
    r.Fail("record count " + std::to_string(count) + " does not fit the remaining data");
  if (static_cast<size_t>(count) > kMaxLogRecords)
    r.Fail("record count " + std::to_string(count) + " is more than a log holds");
  // The vector grows with the records actually read, never from the stored count.
  std::vector<TUnInsData> records;
  for (int32_t i = 0; i < count; ++i) {
    TUnInsData d;
    d.Root = TElement::ReadString(r);
    d.Path = TElement::ReadString(r);
    d.ValueName = TElement::ReadString(r);
    d.RemoveFlag = r.ReadByte();
    d.Kind = r.ReadByte();
    records.push_back(std::move(d));
  }
  if (!r.AtEnd()) r.Fail("unexpected data after the last record");

  // Parsed completely: only now replace the recorder's content.
  Clear();
  ProductName_ = std::move(product);
  UninstallKey_ = std::move(key);
  for (TUnInsData& d : records) Append(std::move(d));
}

std::string ReadLogFile(Platform& platform, const std::string& path) {
  auto in = platform.OpenRead(path);
  const int64_t size = in->Size();
  if (size < 0 || size > static_cast<int64_t>(kMaxLogFile))
    throw Error(path + ": the log is too large (" + std::to_string(size) + " bytes)");
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    size_t n = in->Read(bytes.data() + got, bytes.size() - got);
    if (n == 0) break;
    got += n;
  }
  bytes.resize(got);
  return bytes;
}

void UninstallRecorder::LoadFromFile(const std::string& path) {
  if (!platform_.FileExists(path)) return;
  LoadFromBytes(ReadLogFile(platform_, path), path);
}

}  // namespace sk
