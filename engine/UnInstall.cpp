// The uninstall recorder and its log file (see UnInstall.h).
#include "engine/UnInstall.h"

#include <algorithm>
#include <initializer_list>

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

std::string KeyOf(const TUnInsData& r) {
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

}  // namespace

std::string RootText(RegRoot root) {
  return std::to_string(static_cast<uint32_t>(root));
}

void TUnInstall::Clear() {
  Records_.clear();
  keys_.clear();
}

bool TUnInstall::Remember(std::string key) {
  return keys_.insert(std::move(key)).second;
}

void TUnInstall::Append(TUnInsData record) {
  if (Remember(KeyOf(record))) Records_.push_back(std::move(record));
}

void TUnInstall::AddFile(const std::string& path, uint8_t removeFlag) {
  Append({"", path, "", removeFlag, unins_kind::File});
}

void TUnInstall::AddFolder(const std::string& path) {
  Append({"", path, "", 1, unins_kind::Folder});
}

void TUnInstall::AddRegKey(const std::string& rootText, const std::string& keyPath,
                           const std::string& valueName) {
  Append({rootText, keyPath, valueName, 1, unins_kind::Registry});
}

void TUnInstall::CreateFolderPath(const std::string& path) {
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

void TUnInstall::CreateKeyPath(RegRoot root, const std::string& keyPath) {
  std::string level;
  for (const std::string& part : SplitText(keyPath, "\\")) {
    level = level.empty() ? part : level + "\\" + part;
    if (platform_.KeyExists(root, level)) continue;
    if (platform_.CreateKey(root, level)) AddRegKey(RootText(root), level, "");
  }
}

void TUnInstall::WriteUninstallEntry(const std::string& uninstallerPath,
                                     const std::string& itemName, const std::string& version,
                                     const std::string& url, const std::string& author,
                                     const std::string& serial, const std::string& installDir) {
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
}

std::string TUnInstall::SerializeBody() const {
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

std::string TUnInstall::SaveToBytes() const {
  const std::string body = SerializeBody();
  MemoryWriter out;
  for (size_t at = 0; at < body.size(); at += kChunkPieceSize) {
    std::string piece = ZlibCompress(body.substr(at, kChunkPieceSize), 9);
    out.WriteInt32(static_cast<int32_t>(piece.size()));
    out.WriteBytes(piece.data(), piece.size());
  }
  return std::move(out.Data());
}

void TUnInstall::SaveToFile(const std::string& path) const {
  const std::string bytes = SaveToBytes();
  try {
    auto out = platform_.CreateFile(path);
    out->Write(bytes.data(), bytes.size());
    out->Close();
  } catch (const Error&) {
    platform_.DeleteFile(path);  // never leave a half-written log behind
    throw;
  }
}

void TUnInstall::LoadFromBytes(const std::string& fileBytes, const std::string& what) {
  MemoryInputStream in(fileBytes);
  std::string body;
  try {
    body = ExtractRegionToString(in, 0, in.Size());
  } catch (const Error& e) {
    throw Error(what + ": " + e.what());
  }
  MemoryReader r(body, what);
  std::string product = TElement::ReadString(r);
  std::string key = TElement::ReadString(r);
  int32_t count = r.ReadInt32();
  if (count < 0 || static_cast<size_t>(count) > r.Remaining() / kMinRecordBytes)
    r.Fail("record count " + std::to_string(count) + " does not fit the remaining data");
  std::vector<TUnInsData> records;
  records.reserve(static_cast<size_t>(count));
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

void TUnInstall::LoadFromFile(const std::string& path) {
  if (!platform_.FileExists(path)) return;
  auto in = platform_.OpenRead(path);
  const int64_t size = in->Size();
  if (size < 0 || size > int64_t{kMaxCompressedChunk} * 16)
    throw Error(path + ": the log is too large (" + std::to_string(size) + " bytes)");
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    size_t n = in->Read(bytes.data() + got, bytes.size() - got);
    if (n == 0) break;
    got += n;
  }
  bytes.resize(got);
  LoadFromBytes(bytes, path);
}

}  // namespace sk
