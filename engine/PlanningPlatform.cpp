// The machine that only pretends to change (see PlanningPlatform.h).
#include "engine/PlanningPlatform.h"

#include "engine/PlanningEntries.h"

#include <algorithm>
#include <set>

#include "engine/UninstallRecorder.h"
#include "package/Compile.h"
#include "platform/LnkFormat.h"
#include "platform/MemoryStream.h"
#include "platform/sandbox/IniProfile.h"

namespace sk {

namespace {

constexpr uint32_t kProtected = attr::ReadOnly | attr::Hidden | attr::System;
// The longest path and the deepest key the system makes.
constexpr size_t kMaxPathLength = 32767;
constexpr size_t kMaxKeyLevels = 512;

std::string KeyText(const std::string& subKey) {
  const size_t skip = subKey.find_first_not_of('\\');
  if (skip == std::string::npos) return {};
  std::string path = subKey.substr(skip);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::string FoldKey(RegRoot root, const std::string& keyPath) {
  return RootText(root) + "|" + LowerAscii(KeyText(keyPath));
}

std::string FoldValue(RegRoot root, const std::string& keyPath, const std::string& name) {
  return FoldKey(root, keyPath) + "|" + LowerAscii(name);
}

// The parent of a path ("C:\a\b" -> "C:\a"); empty at a root.
std::string ParentOf(const std::string& path) {
  const std::string folder = StripTrailingBackslash(ExtractFilePath(path));
  return folder.size() < path.size() ? folder : std::string();
}

// A stream over bytes it shares ownership of.
class SharedBytesStream : public InputStream {
 public:
  explicit SharedBytesStream(std::shared_ptr<const std::string> bytes)
      : bytes_(std::move(bytes)), in_(*bytes_) {}
  int64_t Size() override { return in_.Size(); }
  int64_t Position() override { return in_.Position(); }
  void Seek(int64_t absolute) override { in_.Seek(absolute); }
  size_t Read(void* buffer, size_t n) override { return in_.Read(buffer, n); }

 private:
  std::shared_ptr<const std::string> bytes_;
  MemoryInputStream in_;
};

struct EndedProcess : ChildProcess {
  bool Wait(uint32_t) override { return true; }
};

}  // namespace

namespace {

// A stream that keeps what is written in its entry when it closes.
class OverlayOutput : public OutputStream {
 public:
  OverlayOutput(PlanningPlatform& owner, std::string path)
      : owner_(owner), path_(std::move(path)) {}
  ~OverlayOutput() override {
    try {
      Close();
    } catch (...) {
    }
  }
  void Write(const void* data, size_t n) override {
    if (closed_) throw Error(path_ + ": written after closing");
    size_ += static_cast<int64_t>(n);
    if (keep_ && size_ <= PlanningPlatform::kKeptFileBytes) {
      bytes_.append(static_cast<const char*>(data), n);
    } else if (keep_) {
      keep_ = false;  // past the bound: only the size is kept
      std::string().swap(bytes_);
    }
  }
  void Close() override {
    if (closed_) return;
    closed_ = true;
    PlanningPlatform::FileEntry* entry = owner_.Entry(path_);
    if (!entry || !entry->exists) return;
    entry->size = size_;
    if (keep_)
      owner_.StoreBytes(*entry, std::move(bytes_));
    else
      entry->bytes.reset();
    if (time_) entry->writeTime = time_, entry->dated = true;
  }
  bool SetWriteTimeOnClose(int64_t utcFileTime) override {
    time_ = utcFileTime;
    return true;
  }

 private:
  PlanningPlatform& owner_;
  std::string path_;
  std::string bytes_;
  int64_t size_ = 0;
  bool keep_ = true;
  bool closed_ = false;
  std::optional<int64_t> time_;
};

// A key of the overlay: values written here are kept in the overlay; the others are read from
// the machine's key.
class OverlayKey : public RegistryKey {
 public:
  OverlayKey(PlanningPlatform& owner, RegRoot root, std::string path)
      : owner_(owner), root_(root), path_(std::move(path)) {}

  bool WriteString(const std::string& name, const std::string& value) override {
    return Write(name, {RegType::String, value}, {1, value});
  }
  bool WriteDword(const std::string& name, uint32_t value) override {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return Write(name, {RegType::Dword, bytes}, {4, bytes});
  }
  bool WriteBinary(const std::string& name, const std::string& bytes) override {
    return Write(name, {RegType::Binary, bytes}, {3, bytes});
  }
  bool WriteStored(const std::string& name, const StoredRegValue& value) override {
    const RegType type = value.type == 1                              ? RegType::String
                         : value.type == 3                            ? RegType::Binary
                         : value.type == 4 && value.bytes.size() == 4 ? RegType::Dword
                                                                      : RegType::Other;
    return Write(name, {type, value.bytes}, value);
  }
  std::optional<RegValue> ReadValue(const std::string& name) override {
    if (auto* v = owner_.Value(root_, path_, name)) {
      if (!v->exists) return std::nullopt;
      return v->value;
    }
    auto key = Machine();
    return key ? key->ReadValue(name) : std::nullopt;
  }
  std::optional<StoredRegValue> ReadStored(const std::string& name) override {
    if (auto* v = owner_.Value(root_, path_, name)) {
      if (!v->exists) return std::nullopt;
      return v->stored;
    }
    auto key = Machine();
    return key ? key->ReadStored(name) : std::nullopt;
  }
  bool ValueExists(const std::string& name) override {
    if (auto* v = owner_.Value(root_, path_, name)) return v->exists;
    auto key = Machine();
    return key && key->ValueExists(name);
  }
  bool DeleteValue(const std::string& name) override {
    if (!ValueExists(name)) return false;
    PlanningPlatform::ValueEntry& v = owner_.TouchValue(root_, path_, name);
    v.exists = false;
    v.order = owner_.NextOrder();  // a removal stands where it happens
    return true;
  }
  std::vector<std::string> ValueNames() override {
    std::vector<std::string> names;
    if (auto key = Machine())
      for (const std::string& name : key->ValueNames())
        if (!owner_.Value(root_, path_, name)) names.push_back(name);
    for (const std::string& name : owner_.OverlayValueNames(root_, path_)) names.push_back(name);
    return names;
  }
  std::vector<std::string> SubKeyNames() override { return owner_.SubKeyNames(root_, path_); }

 private:
  bool Write(const std::string& name, RegValue value, StoredRegValue stored) {
    if (!owner_.KeyExists(root_, path_)) return false;
    PlanningPlatform::ValueEntry& v = owner_.TouchValue(root_, path_, name);
    if (!v.exists) v.order = owner_.NextOrder();  // written again after its removal
    v.exists = true;
    v.value = std::move(value);
    v.stored = std::move(stored);
    return true;
  }
  std::unique_ptr<RegistryKey> Machine() {
    if (!owner_.KeyExists(root_, path_)) return nullptr;
    return owner_.Inner().OpenKey(root_, path_, false);
  }

  PlanningPlatform& owner_;
  RegRoot root_;
  std::string path_;
};

}  // namespace

PlanningPlatform::PlanningPlatform(Platform& inner) : inner_(inner) {}
PlanningPlatform::~PlanningPlatform() = default;

PlanningPlatform::FileEntry* PlanningPlatform::Entry(const std::string& path) {
  auto it = files_.find(FoldPath(path));
  return it == files_.end() ? nullptr : it->second.get();
}

PlanningPlatform::FileEntry& PlanningPlatform::NewEntry(const std::string& path) {
  auto& slot = files_[FoldPath(path)];
  if (!slot) {
    slot = std::make_unique<FileEntry>();
    slot->path = StripTrailingBackslash(path);
    slot->order = ++order_;
  }
  return *slot;
}

PlanningPlatform::FileEntry& PlanningPlatform::Touch(const std::string& path) {
  if (FileEntry* entry = Entry(path)) return *entry;
  FileEntry& entry = NewEntry(path);
  entry.attributes = inner_.GetFileAttributes(path);
  entry.folder = entry.attributes != attr::Invalid && (entry.attributes & attr::Directory);
  entry.writeTime = inner_.GetFileWriteTime(path);
  entry.dated = true;
  if (!entry.folder) {
    entry.innerSource = path;
    try {
      entry.size = inner_.OpenRead(path)->Size();
    } catch (const Error&) {
      entry.size = 0;  // held open elsewhere: the plan reads the machine's size itself
    }
  }
  return entry;
}

void PlanningPlatform::StoreBytes(FileEntry& entry, std::string bytes) {
  entry.innerSource.clear();
  entry.open = nullptr;
  entry.changed = true;
  const int64_t size = static_cast<int64_t>(bytes.size());
  if (keptBytes_ + size > kKeptTotalBytes) {
    entry.bytes.reset();
    return;
  }
  keptBytes_ += size;
  entry.bytes = std::make_shared<const std::string>(std::move(bytes));
}

void PlanningPlatform::Provide(const std::string& path, int64_t size,
                               std::function<std::unique_ptr<InputStream>()> open) {
  FileEntry& entry = NewEntry(path);
  entry = FileEntry{.path = entry.path, .order = entry.order, .baseline = true, .size = size};
  entry.open = std::move(open);
}

void PlanningPlatform::MarkBaseline() {
  for (auto& [key, entry] : files_) entry->baseline = true;
  for (auto& [key, entry] : keys_) entry->baseline = true;
  for (auto& [key, entry] : values_) entry->baseline = true;
}

void PlanningPlatform::NoteFilePlaced(const std::string& path) {
  placed_.emplace_back(++order_, path);
}

// ---- files ----

bool PlanningPlatform::FileExists(const std::string& path) {
  if (const FileEntry* e = Entry(path)) return e->exists && !e->folder;
  return inner_.FileExists(path);
}

bool PlanningPlatform::DirectoryExists(const std::string& path) {
  if (const FileEntry* e = Entry(path)) return e->exists && e->folder;
  return inner_.DirectoryExists(path);
}

uint32_t PlanningPlatform::GetFileAttributes(const std::string& path) {
  if (const FileEntry* e = Entry(path))
    return !e->exists  ? attr::Invalid
           : e->folder ? (attr::Directory | e->attributes)
                       : e->attributes;
  return inner_.GetFileAttributes(path);
}

bool PlanningPlatform::CreateDirectory(const std::string& path) {
  const std::string parent = ParentOf(path);
  if (GetFileAttributes(path) != attr::Invalid || parent.empty() || !DirectoryExists(parent))
    return false;
  FileEntry& e = NewEntry(path);
  e = FileEntry{
      .path = e.path, .order = ++order_, .baseline = e.baseline, .folder = true, .attributes = 0};
  return true;
}

bool PlanningPlatform::ForceDirectories(const std::string& path) {
  if (path.size() > kMaxPathLength) return false;  // the system makes no such folder
  // The missing levels, deepest first; made from the top down.
  std::vector<std::string> missing;
  for (std::string level = path; !DirectoryExists(level); level = ParentOf(level)) {
    if (level.empty()) return false;
    missing.push_back(level);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (!CreateDirectory(*it)) return false;
  return true;
}

std::unique_ptr<InputStream> PlanningPlatform::OpenRead(const std::string& path) {
  const FileEntry* e = Entry(path);
  if (!e) return inner_.OpenRead(path);
  if (!e->exists || e->folder) throw Error(path + ": the file does not exist");
  if (!e->innerSource.empty()) return inner_.OpenRead(e->innerSource);
  if (e->open) return e->open();
  if (!e->bytes)
    throw Error(path + ": the plan keeps no bytes of a file of " + std::to_string(e->size) +
                " bytes");
  return std::make_unique<SharedBytesStream>(e->bytes);
}

std::unique_ptr<OutputStream> PlanningPlatform::CreateFile(const std::string& path) {
  const uint32_t attributes = GetFileAttributes(path);
  if (attributes != attr::Invalid && (attributes & (attr::Directory | kProtected)))
    throw Error(path + ": access denied");
  const std::string parent = ParentOf(path);
  if (parent.empty() || !DirectoryExists(parent)) throw Error(path + ": the folder does not exist");
  FileEntry& e = attributes == attr::Invalid ? NewEntry(path) : Touch(path);
  if (!e.exists) e.order = ++order_;  // made again after the run removed it
  e.exists = true;
  e.folder = false;
  e.link.reset();
  e.size = 0;
  e.writeTime.reset();
  e.dated = false;
  e.attributes = attributes == attr::Invalid ? attr::Archive : attributes;
  StoreBytes(e, {});
  return std::make_unique<OverlayOutput>(*this, path);
}

bool PlanningPlatform::DeleteFile(const std::string& path) {
  const uint32_t attributes = GetFileAttributes(path);
  if (attributes == attr::Invalid || (attributes & (attr::Directory | attr::ReadOnly)))
    return false;
  FileEntry& e = NewEntry(path);
  e = FileEntry{.path = e.path, .order = ++order_, .baseline = e.baseline, .exists = false};
  return true;
}

bool PlanningPlatform::RemoveDirectory(const std::string& path) {
  if (!DirectoryExists(path) || !ListDirectory(path).empty()) return false;
  FileEntry& e = NewEntry(path);
  e = FileEntry{.path = e.path, .order = ++order_, .baseline = e.baseline, .exists = false};
  return true;
}

bool PlanningPlatform::SetFileAttributes(const std::string& path, uint32_t attributes) {
  if (GetFileAttributes(path) == attr::Invalid) return false;
  FileEntry& e = Touch(path);
  if (e.folder) return true;
  e.attributes = (attributes & ~attr::Normal) == 0 ? attr::Normal : attributes & ~attr::Normal;
  e.changed = true;
  return true;
}

std::optional<int64_t> PlanningPlatform::GetFileWriteTime(const std::string& path) {
  if (const FileEntry* e = Entry(path)) {
    if (!e->exists) return std::nullopt;
    if (e->dated) return e->writeTime;
    return inner_.LocalNow() ? inner_.LocalFileTimeToUtc(*inner_.LocalNow()) : std::nullopt;
  }
  return inner_.GetFileWriteTime(path);
}

bool PlanningPlatform::SetFileWriteTime(const std::string& path, int64_t utcFileTime) {
  if (!FileExists(path)) return false;
  FileEntry& e = Touch(path);
  e.writeTime = utcFileTime;
  e.dated = true;
  e.changed = true;
  return true;
}

bool PlanningPlatform::CopyFileIfAbsent(const std::string& from, const std::string& to) {
  if (GetFileAttributes(to) != attr::Invalid || !FileExists(from)) return false;
  const std::string parent = ParentOf(to);
  if (parent.empty() || !DirectoryExists(parent)) return false;
  const FileEntry* source = Entry(from);
  FileEntry copy;
  if (source) {
    copy = *source;
  } else {
    copy.innerSource = from;
    copy.size = inner_.OpenRead(from)->Size();
    copy.attributes = inner_.GetFileAttributes(from);
    copy.writeTime = inner_.GetFileWriteTime(from);
    copy.dated = true;
  }
  FileEntry& e = NewEntry(to);
  copy.path = e.path;
  copy.order = ++order_;
  copy.baseline = e.baseline;
  copy.changed = true;
  e = std::move(copy);
  return true;
}

std::vector<std::string> PlanningPlatform::ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  const std::string folded = FoldPath(path);
  auto inOverlay = [&](const std::string& name) {
    return files_.count(folded + "\\" + LowerAscii(name)) > 0;
  };
  // The machine's entries stay unless the run removed or replaced them.
  if (DirectoryExists(path) && inner_.DirectoryExists(path))
    for (const std::string& name : inner_.ListDirectory(path))
      if (!inOverlay(name)) names.push_back(name);
  for (const auto& [key, e] : files_)
    if (e->exists && FoldPath(ParentOf(e->path)) == folded)
      names.push_back(ExtractFileName(e->path));
  return names;
}

std::string PlanningPlatform::GetSpecialFolderPath(int csidl) {
  const std::string folder = inner_.GetSpecialFolderPath(csidl);
  return folder.empty() || DirectoryExists(folder) ? folder : std::string();
}

bool PlanningPlatform::CreateShellLink(const std::string& linkPath, const ShellLinkInfo& link) {
  try {
    std::unique_ptr<OutputStream> out = CreateFile(linkPath);
    const std::string bytes = BuildShellLink(link);
    out->Write(bytes.data(), bytes.size());
    out->Close();
  } catch (const Error&) {
    return false;
  }
  Entry(linkPath)->link = link;
  return true;
}

std::optional<std::string> PlanningPlatform::WholeFile(const std::string& path) {
  if (!FileExists(path)) return std::nullopt;
  try {
    std::unique_ptr<InputStream> in = OpenRead(path);
    std::string bytes(static_cast<size_t>(std::min<int64_t>(in->Size(), kKeptFileBytes)), '\0');
    bytes.resize(in->Read(bytes.data(), bytes.size()));
    return bytes;
  } catch (const Error&) {
    return std::nullopt;
  }
}

std::optional<ShellLinkInfo> PlanningPlatform::ReadShellLink(const std::string& linkPath) {
  const FileEntry* e = Entry(linkPath);
  if (!e) return inner_.ReadShellLink(linkPath);
  if (e->link) return e->link;
  if (!e->innerSource.empty()) return inner_.ReadShellLink(e->innerSource);
  std::optional<std::string> bytes = WholeFile(linkPath);
  if (!bytes) return std::nullopt;
  try {
    return ParseShellLink(*bytes);
  } catch (const Error&) {
    return std::nullopt;
  }
}

// ---- INI files: those the run wrote are read from the overlay ----

std::vector<std::string> PlanningPlatform::IniSectionKeys(const std::string& ini,
                                                          const std::string& section) {
  const FileEntry* e = Entry(ini);
  if (!e || !e->innerSource.empty())
    return inner_.IniSectionKeys(e ? e->innerSource : ini, section);
  std::optional<std::string> text = WholeFile(ini);
  return text ? sandbox::IniKeys(*text, section) : std::vector<std::string>{};
}

std::vector<std::pair<std::string, std::string>> PlanningPlatform::IniSectionValues(
    const std::string& ini, const std::string& section) {
  const FileEntry* e = Entry(ini);
  if (!e || !e->innerSource.empty())
    return inner_.IniSectionValues(e ? e->innerSource : ini, section);
  std::optional<std::string> text = WholeFile(ini);
  return text ? sandbox::IniSection(*text, section)
              : std::vector<std::pair<std::string, std::string>>{};
}

std::string PlanningPlatform::IniReadString(const std::string& ini, const std::string& section,
                                            const std::string& key, const std::string& def) {
  const FileEntry* e = Entry(ini);
  if (!e || !e->innerSource.empty())
    return inner_.IniReadString(e ? e->innerSource : ini, section, key, def);
  if (std::optional<std::string> text = WholeFile(ini))
    if (std::optional<std::string> v = sandbox::IniValue(*text, section, key)) return *v;
  std::string d = def;  // the default loses its trailing blanks, as with the profile calls
  while (!d.empty() && d.back() == ' ') d.pop_back();
  return d;
}

// ---- registry ----

PlanningPlatform::KeyEntry* PlanningPlatform::Key(RegRoot root, const std::string& subKey) {
  auto it = keys_.find(FoldKey(root, subKey));
  return it == keys_.end() ? nullptr : it->second.get();
}

bool PlanningPlatform::KeyExists(RegRoot root, const std::string& subKey) {
  if (const KeyEntry* k = Key(root, subKey)) return k->exists;
  return inner_.KeyExists(root, subKey);
}

bool PlanningPlatform::CreateKey(RegRoot root, const std::string& subKey) {
  const std::string path = KeyText(subKey);
  if (path.empty()) return false;
  if (KeyExists(root, path)) return true;
  // The levels, shortest first; the system keeps no key deeper than kMaxKeyLevels.
  std::vector<std::string> levels;
  for (size_t at = path.find('\\');; at = path.find('\\', at + 1)) {
    if (levels.size() == kMaxKeyLevels) return false;
    levels.push_back(path.substr(0, at));
    if (at == std::string::npos) break;
  }
  for (const std::string& level : levels) {
    if (level.empty() || level.back() == '\\') continue;  // an empty name between two backslashes
    if (KeyExists(root, level)) continue;
    auto& slot = keys_[FoldKey(root, level)];
    if (!slot) slot = std::make_unique<KeyEntry>(KeyEntry{.root = root, .path = level});
    slot->order = ++order_;
    slot->exists = true;
  }
  return true;
}

std::unique_ptr<RegistryKey> PlanningPlatform::OpenKey(RegRoot root, const std::string& subKey,
                                                       bool create) {
  const std::string path = KeyText(subKey);
  if (create && !path.empty() && !CreateKey(root, path)) return nullptr;
  if (!path.empty() && !KeyExists(root, path)) return nullptr;
  return std::make_unique<OverlayKey>(*this, root, path);
}

bool PlanningPlatform::DeleteKey(RegRoot root, const std::string& subKey) {
  const std::string path = KeyText(subKey);
  if (path.empty() || !KeyExists(root, path) || !SubKeyNames(root, path).empty()) return false;
  // Its values go with it, and stay gone if the key is made again.
  OverlayKey key(*this, root, path);
  for (const std::string& name : key.ValueNames()) key.DeleteValue(name);
  auto& slot = keys_[FoldKey(root, path)];
  if (!slot) slot = std::make_unique<KeyEntry>(KeyEntry{.root = root, .path = path});
  slot->order = ++order_;
  slot->exists = false;
  return true;
}

std::vector<std::string> PlanningPlatform::SubKeyNames(RegRoot root, const std::string& path) {
  std::vector<std::string> names;
  const std::string prefix = FoldKey(root, path) + "\\";
  auto inOverlay = [&](const std::string& name) { return keys_.count(prefix + LowerAscii(name)); };
  if (!Key(root, path) || inner_.KeyExists(root, path))
    if (auto key = inner_.OpenKey(root, path, false))
      for (const std::string& name : key->SubKeyNames())
        if (!inOverlay(name)) names.push_back(name);
  for (const auto& [folded, k] : keys_)
    if (k->exists && folded.size() > prefix.size() &&
        folded.compare(0, prefix.size(), prefix) == 0 &&
        folded.find('\\', prefix.size()) == std::string::npos)
      names.push_back(k->path.substr(k->path.rfind('\\') + 1));
  return names;
}

std::vector<std::string> PlanningPlatform::OverlayValueNames(RegRoot root,
                                                             const std::string& path) {
  std::vector<std::string> names;
  const std::string prefix = FoldKey(root, path) + "|";
  for (auto it = values_.lower_bound(prefix);
       it != values_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
    if (it->second->exists) names.push_back(it->second->name);
  return names;
}

PlanningPlatform::ValueEntry* PlanningPlatform::Value(RegRoot root, const std::string& keyPath,
                                                      const std::string& name) {
  auto it = values_.find(FoldValue(root, keyPath, name));
  return it == values_.end() ? nullptr : it->second.get();
}

PlanningPlatform::ValueEntry& PlanningPlatform::TouchValue(RegRoot root, const std::string& keyPath,
                                                           const std::string& name) {
  auto& slot = values_[FoldValue(root, keyPath, name)];
  if (!slot)
    slot = std::make_unique<ValueEntry>(
        ValueEntry{.root = root, .keyPath = KeyText(keyPath), .name = name, .order = ++order_});
  return *slot;
}

// ---- programs: noted, never started ----

void PlanningPlatform::NoteProgram(PlanItem::Kind kind, const std::string& command,
                                   const std::string& params) {
  programs_.emplace_back(++order_, PlanItem{.kind = kind, .path = command, .target = params});
}

bool PlanningPlatform::StartProgram(const std::string& commandLine, int) {
  NoteProgram(PlanItem::Kind::Register, commandLine, "");
  return true;
}

std::unique_ptr<ChildProcess> PlanningPlatform::StartProcess(const std::string& commandLine, int) {
  NoteProgram(PlanItem::Kind::Import, commandLine, "");
  return std::make_unique<EndedProcess>();
}

bool PlanningPlatform::ShellExecute(const std::string&, const std::string& file,
                                    const std::string& params, const std::string&, int) {
  NoteProgram(PlanItem::Kind::Open, file, params);
  return true;
}

bool PlanningPlatform::ShellExecuteAndWait(const std::string& file, const std::string& params, int,
                                           const std::function<void()>&,
                                           const std::function<bool()>&) {
  NoteProgram(PlanItem::Kind::RunSetup, file, params);
  return true;
}

int PlanningPlatform::InvokeShellVerbs(const std::string& path, const std::string&) {
  NoteProgram(PlanItem::Kind::Pin, path, "");
  return FileExists(path) ? 1 : 0;
}

bool PlanningPlatform::RequestReboot() {
  NoteProgram(PlanItem::Kind::Restart, "", "");
  return true;
}

std::unique_ptr<FileHold> PlanningPlatform::HoldFile(const std::string& path) {
  struct OverlayHold : FileHold {
    OverlayHold(PlanningPlatform& owner, std::string held)
        : platform(owner), path(std::move(held)) {}
    ~OverlayHold() override {
      stream.reset();
      platform.DeleteFile(path);
    }
    PlanningPlatform& platform;
    std::string path;
    std::unique_ptr<OutputStream> stream;
  };
  auto hold = std::make_unique<OverlayHold>(*this, path);
  hold->stream = CreateFile(path);
  return hold;
}

}  // namespace sk
