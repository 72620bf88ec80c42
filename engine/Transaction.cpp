// The install run as a transaction (see Transaction.h).
#include "engine/Transaction.h"

#include "engine/UninstallRecorder.h"
#include "package/Compile.h"

namespace sk {

namespace {

constexpr uint32_t kUndoCommandWaitMs = 30000;
constexpr size_t kCopyChunk = 1u << 16;

std::string KeyPathText(const std::string& subKey) {
  const size_t skip = subKey.find_first_not_of('\\');
  return skip == std::string::npos ? std::string() : subKey.substr(skip);
}

std::string FileIdentity(const std::string& path) {
  return "f|" + LowerAscii(path);
}

std::string ValueIdentity(RegRoot root, const std::string& keyPath, const std::string& name) {
  return "v|" + RootText(root) + "|" + LowerAscii(KeyPathText(keyPath)) + "|" + LowerAscii(name);
}

// Copies the bytes of `from` into a new file `to` (created or truncated), then gives it the
// last-write time when one is given.
void CopyBytes(Platform& platform, const std::string& from, const std::string& to,
               const std::optional<int64_t>& writeTime = std::nullopt) {
  std::unique_ptr<InputStream> in = platform.OpenRead(from);
  std::unique_ptr<OutputStream> out = platform.CreateFile(to);
  std::string buffer(kCopyChunk, '\0');
  for (;;) {
    const size_t got = in->Read(buffer.data(), buffer.size());
    if (got == 0) break;
    out->Write(buffer.data(), got);
  }
  const bool timed = writeTime && out->SetWriteTimeOnClose(*writeTime);
  out->Close();
  if (writeTime && !timed) platform.SetFileWriteTime(to, *writeTime);
}

// True when both files exist and hold the same bytes.
bool SameBytes(Platform& platform, const std::string& a, const std::string& b) {
  if (!platform.FileExists(a) || !platform.FileExists(b)) return false;
  std::unique_ptr<InputStream> x = platform.OpenRead(a);
  std::unique_ptr<InputStream> y = platform.OpenRead(b);
  if (x->Size() != y->Size()) return false;
  std::string bx(kCopyChunk, '\0'), by(kCopyChunk, '\0');
  for (;;) {
    const size_t gx = x->Read(bx.data(), bx.size());
    size_t gy = 0;
    while (gy < gx) {
      const size_t r = y->Read(by.data() + gy, gx - gy);
      if (r == 0) return false;
      gy += r;
    }
    if (gx == 0) return true;
    if (bx.compare(0, gx, by, 0, gx) != 0) return false;
  }
}

// The path's levels below its drive or share root, shortest first ("C:\a", "C:\a\b").
std::vector<std::string> FolderLevels(const std::string& path) {
  std::vector<std::string> levels;
  size_t start = path.size() >= 2 && path[1] == ':' ? 2 : 0;
  if (path.compare(0, 2, "\\\\") == 0) {  // \\server\share is the root
    const size_t server = path.find('\\', 2);
    start = server == std::string::npos ? path.size() : path.find('\\', server + 1);
    if (start == std::string::npos) start = path.size();
  }
  for (size_t at = path.find('\\', start + 1);; at = path.find('\\', at + 1)) {
    const std::string level = path.substr(0, at);
    if (level.size() > start + 1 && level.back() != '\\') levels.push_back(level);
    if (at == std::string::npos) break;
  }
  return levels;
}

// The system keeps keys at most this many levels deep and refuses deeper ones.
constexpr size_t kMaxKeyLevels = 512;

// The key path's levels, shortest first; at most kMaxKeyLevels (deeper ones cannot be made).
std::vector<std::string> KeyLevels(const std::string& subKey) {
  std::vector<std::string> levels;
  const std::string path = KeyPathText(subKey);
  for (size_t at = path.find('\\'); levels.size() < kMaxKeyLevels; at = path.find('\\', at + 1)) {
    const std::string level = path.substr(0, at);
    if (!level.empty() && level.back() != '\\') levels.push_back(level);
    if (at == std::string::npos) break;
  }
  return levels;
}

// A key handed out by TransactionPlatform: notes each value's state before its first change.
class TransactionKey : public RegistryKey {
 public:
  TransactionKey(TransactionPlatform& tx, std::unique_ptr<RegistryKey> inner, RegRoot root,
                 std::string path)
      : tx_(tx), inner_(std::move(inner)), root_(root), path_(std::move(path)) {}

  bool WriteString(const std::string& name, const std::string& value) override {
    tx_.NoteValue(root_, path_, name, *inner_);
    return inner_->WriteString(name, value);
  }
  bool WriteDword(const std::string& name, uint32_t value) override {
    tx_.NoteValue(root_, path_, name, *inner_);
    return inner_->WriteDword(name, value);
  }
  bool WriteBinary(const std::string& name, const std::string& bytes) override {
    tx_.NoteValue(root_, path_, name, *inner_);
    return inner_->WriteBinary(name, bytes);
  }
  bool WriteStored(const std::string& name, const StoredRegValue& value) override {
    tx_.NoteValue(root_, path_, name, *inner_);
    return inner_->WriteStored(name, value);
  }
  bool DeleteValue(const std::string& name) override {
    tx_.NoteValue(root_, path_, name, *inner_);
    return inner_->DeleteValue(name);
  }
  std::optional<RegValue> ReadValue(const std::string& name) override {
    return inner_->ReadValue(name);
  }
  std::optional<StoredRegValue> ReadStored(const std::string& name) override {
    return inner_->ReadStored(name);
  }
  bool ValueExists(const std::string& name) override { return inner_->ValueExists(name); }
  std::vector<std::string> ValueNames() override { return inner_->ValueNames(); }
  std::vector<std::string> SubKeyNames() override { return inner_->SubKeyNames(); }

 private:
  TransactionPlatform& tx_;
  std::unique_ptr<RegistryKey> inner_;
  RegRoot root_;
  std::string path_;
};

}  // namespace

std::string DescribeStep(const UndoStep& step) {
  using K = UndoStep::Kind;
  const std::string value = RootText(step.root) + "\\" + step.path + " [" + step.valueName + "]";
  switch (step.kind) {
    case K::CreatedFile:
      return "create file " + step.path;
    case K::ReplacedFile:
      return "replace file " + step.path + " (backup " + step.backup + ")";
    case K::CreatedFolder:
      return "create folder " + step.path;
    case K::CreatedKey:
      return "create key " + RootText(step.root) + "\\" + step.path;
    case K::NewValue:
      return "write value " + value;
    case K::ReplacedValue:
      return "replace value " + value + " (type " + std::to_string(step.previous.type) + ", " +
             std::to_string(step.previous.bytes.size()) + " bytes)";
    case K::Command:
      return "register (undone by " + step.path + ")";
    case K::DelayedReplace:
      return "replace file " + step.valueName + " at the next restart by " + step.path;
  }
  return "?";
}

bool UndoOneStep(Platform& platform, const UndoStep& step) {
  using K = UndoStep::Kind;
  switch (step.kind) {
    case K::CreatedFile:
      if (platform.GetFileAttributes(step.path) == attr::Invalid) return true;
      platform.SetFileAttributes(step.path, attr::Normal);
      return platform.DeleteFile(step.path) || !platform.FileExists(step.path);
    case K::ReplacedFile:
      // A file whose bytes are still those of the backup (its attributes or date changed, or
      // its writing failed) is not written again: it may be held open by another program.
      if (!SameBytes(platform, step.backup, step.path)) {
        if (platform.FileExists(step.path)) platform.SetFileAttributes(step.path, attr::Normal);
        CopyBytes(platform, step.backup, step.path, step.writeTime);
      } else if (step.writeTime && platform.GetFileWriteTime(step.path) != step.writeTime) {
        platform.SetFileWriteTime(step.path, *step.writeTime);
      }
      return platform.SetFileAttributes(step.path, step.attributes);
    case K::CreatedFolder:
      return platform.RemoveDirectory(step.path) || !platform.DirectoryExists(step.path);
    case K::CreatedKey:
      return platform.DeleteKey(step.root, step.path) || !platform.KeyExists(step.root, step.path);
    case K::NewValue: {
      auto key = platform.OpenKey(step.root, step.path, false);
      return !key || !key->ValueExists(step.valueName) || key->DeleteValue(step.valueName);
    }
    case K::ReplacedValue: {
      auto key = platform.OpenKey(step.root, step.path, true);
      return key && key->WriteStored(step.valueName, step.previous);
    }
    case K::Command: {
      auto process = platform.StartProcess(step.path, show::Hide);
      return process && process->Wait(kUndoCommandWaitMs);
    }
    case K::DelayedReplace:
      return platform.CancelReplaceAtRestart(step.path);
  }
  return false;
}

TransactionPlatform::TransactionPlatform(Platform& inner, std::string backupFolder,
                                         Observer observer, std::function<void()> release)
    : inner_(inner),
      backupFolder_(std::move(backupFolder)),
      observer_(std::move(observer)),
      release_(std::move(release)) {
  if (!backupFolder_.empty() && backupFolder_.back() == '\\') backupFolder_.pop_back();
}

void TransactionPlatform::Note(UndoStep step) {
  if (observer_) observer_(step);
  steps_.push_back(std::move(step));
}

void TransactionPlatform::KnownAttributes(const std::string& path, uint32_t attributes) {
  known_.emplace(FileIdentity(path), attributes);
}

void TransactionPlatform::NoteFile(const std::string& path) {
  const std::optional<std::pair<std::string, uint32_t>> known = std::exchange(known_, {});
  const std::string identity = FileIdentity(path);
  if (!touched_.insert(identity).second) return;
  const uint32_t attributes =
      known && known->first == identity ? known->second : inner_.GetFileAttributes(path);
  if (attributes == attr::Invalid) {
    try {
      Note({.kind = UndoStep::Kind::CreatedFile, .path = path});
    } catch (...) {
      touched_.erase(FileIdentity(path));
      throw;
    }
    return;
  }
  if (attributes & attr::Directory) return;
  if (!inner_.DirectoryExists(backupFolder_)) inner_.ForceDirectories(backupFolder_);
  UndoStep step{.kind = UndoStep::Kind::ReplacedFile,
                .path = path,
                .backup = backupFolder_ + "\\b" + std::to_string(++backups_),
                .attributes = attributes,
                .writeTime = inner_.GetFileWriteTime(path)};
  try {
    CopyBytes(inner_, path, step.backup);
  } catch (const Error& e) {
    touched_.erase(FileIdentity(path));
    // The code stays with the error: a file held by another program is told apart.
    throw Error(path + ": cannot keep a copy before replacing it: " + e.what(), e.code(),
                e.reason());
  }
  try {
    Note(std::move(step));
  } catch (...) {
    // Not noted, so not changed: a later change of the file is noted again.
    touched_.erase(FileIdentity(path));
    throw;
  }
}

void TransactionPlatform::NoteValue(RegRoot root, const std::string& keyPath,
                                    const std::string& name, RegistryKey& key) {
  if (!touched_.insert(ValueIdentity(root, keyPath, name)).second) return;
  UndoStep step{.path = KeyPathText(keyPath), .root = root, .valueName = name};
  if (std::optional<StoredRegValue> previous = key.ReadStored(name)) {
    step.kind = UndoStep::Kind::ReplacedValue;
    step.previous = std::move(*previous);
  } else {
    step.kind = UndoStep::Kind::NewValue;
  }
  try {
    Note(std::move(step));
  } catch (...) {
    touched_.erase(ValueIdentity(root, keyPath, name));
    throw;
  }
}

void TransactionPlatform::NoteMissingKeys(RegRoot root, const std::string& subKey) {
  if (inner_.KeyExists(root, subKey)) return;
  // Below the first missing level every level is missing: no need to ask for each.
  bool missing = false;
  for (const std::string& level : KeyLevels(subKey)) {
    missing = missing || !inner_.KeyExists(root, level);
    if (missing) Note({.kind = UndoStep::Kind::CreatedKey, .path = level, .root = root});
  }
}

void TransactionPlatform::AddUndoCommand(const std::string& commandLine) {
  Note({.kind = UndoStep::Kind::Command, .path = commandLine});
}

bool TransactionPlatform::CreateDirectory(const std::string& path) {
  if (!inner_.DirectoryExists(path) && inner_.GetFileAttributes(path) == attr::Invalid)
    Note({.kind = UndoStep::Kind::CreatedFolder, .path = path});
  return inner_.CreateDirectory(path);
}

bool TransactionPlatform::ForceDirectories(const std::string& path) {
  if (inner_.DirectoryExists(path)) return true;
  for (const std::string& level : FolderLevels(path))
    if (!inner_.DirectoryExists(level) && !CreateDirectory(level)) return false;
  return inner_.DirectoryExists(path);
}

std::unique_ptr<OutputStream> TransactionPlatform::CreateFile(const std::string& path) {
  NoteFile(path);
  return inner_.CreateFile(path);
}

bool TransactionPlatform::DeleteFile(const std::string& path) {
  if (inner_.FileExists(path)) NoteFile(path);
  return inner_.DeleteFile(path);
}

bool TransactionPlatform::SetFileAttributes(const std::string& path, uint32_t attributes) {
  if (inner_.FileExists(path)) NoteFile(path);
  return inner_.SetFileAttributes(path, attributes);
}

bool TransactionPlatform::SetFileWriteTime(const std::string& path, int64_t utcFileTime) {
  if (inner_.FileExists(path)) NoteFile(path);
  return inner_.SetFileWriteTime(path, utcFileTime);
}

bool TransactionPlatform::ReplaceFileAtRestart(const std::string& source,
                                               const std::string& target) {
  Note({.kind = UndoStep::Kind::DelayedReplace, .path = source, .valueName = target});
  return inner_.ReplaceFileAtRestart(source, target);
}

bool TransactionPlatform::CopyFileIfAbsent(const std::string& from, const std::string& to) {
  if (inner_.GetFileAttributes(to) != attr::Invalid) return inner_.CopyFileIfAbsent(from, to);
  NoteFile(to);
  return inner_.CopyFileIfAbsent(from, to);
}

bool TransactionPlatform::CreateShellLink(const std::string& linkPath, const ShellLinkInfo& link) {
  NoteFile(linkPath);
  return inner_.CreateShellLink(linkPath, link);
}

std::unique_ptr<RegistryKey> TransactionPlatform::OpenKey(RegRoot root, const std::string& subKey,
                                                          bool create) {
  if (create) NoteMissingKeys(root, subKey);
  std::unique_ptr<RegistryKey> key = inner_.OpenKey(root, subKey, create);
  if (!key) return nullptr;
  return std::make_unique<TransactionKey>(*this, std::move(key), root, KeyPathText(subKey));
}

bool TransactionPlatform::CreateKey(RegRoot root, const std::string& subKey) {
  NoteMissingKeys(root, subKey);
  return inner_.CreateKey(root, subKey);
}

std::vector<std::string> TransactionPlatform::Undo() {
  std::vector<std::string> failed;
  for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
    bool done = false;
    try {
      done = UndoOneStep(inner_, *it);
    } catch (...) {
      // A step that cannot be taken back is reported; the others still run.
    }
    if (!done) failed.push_back(DescribeStep(*it));
  }
  Commit();
  return failed;
}

void TransactionPlatform::Commit() {
  // The backups ("b<n>") and the journal ("journal", "j<n>") of the run folder go with the
  // steps. The end mark comes first, in one change: a run killed while the rest is deleted is
  // then known as ended, and the next run only finishes the deleting.
  try {
    if (release_) release_();
  } catch (...) {
    // A journal that cannot be closed is left for the next run, which finds the end mark.
  }
  try {
    if (inner_.DirectoryExists(backupFolder_)) {
      inner_.CreateFile(backupFolder_ + "\\" + kRunEndedMark)->Close();
      for (const std::string& name : inner_.ListDirectory(backupFolder_))
        if (name == kJournalName || (name.size() > 1 && (name[0] == 'b' || name[0] == 'j') &&
                                     name.find_first_not_of("0123456789", 1) == std::string::npos))
          inner_.DeleteFile(backupFolder_ + "\\" + name);
      inner_.DeleteFile(backupFolder_ + "\\" + kRunEndedMark);
    }
  } catch (...) {
    // What is left behind is found by the next run, which finishes the deleting.
  }
  try {
    if (inner_.DirectoryExists(backupFolder_)) inner_.RemoveDirectory(backupFolder_);
  } catch (...) {
  }
  steps_.clear();
  touched_.clear();
}

}  // namespace sk
