// The journal of an install run that survives a kill (see Journal.h).
#include "engine/Journal.h"

#include <algorithm>
#include <cctype>

#include "engine/Texts.h"

#include "engine/RunClaim.h"
#include "engine/Transaction.h"
#include "engine/UninstallRecorder.h"
#include "package/Compile.h"
#include "package/Container.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

constexpr char kMagic[] = "SKJ1";
constexpr char kEnd[] = "SKJE";  // the last bytes of a complete entry

bool Digits(const std::string& s, size_t from) {
  return s.size() > from && s.size() <= from + 12 &&
         std::all_of(s.begin() + static_cast<std::ptrdiff_t>(from), s.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

bool KnownRoot(uint32_t root) {
  return root >= static_cast<uint32_t>(RegRoot::ClassesRoot) &&
         root <= static_cast<uint32_t>(RegRoot::LocalMachine) + 3;
}

// An absolute drive path ("C:\...") without empty, "." or ".." elements.
bool SoundFilePath(const std::string& path) {
  if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return false;
  const char drive = static_cast<char>(path[0] & ~0x20);
  if (drive < 'A' || drive > 'Z') return false;
  bool sound = true;
  ForEachPiece(path.substr(3), "\\", [&](std::string_view e) {
    sound = e != "." && e != ".." && e.find_first_of("\0<>\"|?*", 0, 7) == std::string_view::npos;
    return sound;
  });
  return sound && path.find("\\\\") == std::string::npos && path.back() != '\\';
}

bool SoundKeyPath(const std::string& path) {
  return !path.empty() && path.front() != '\\' && path.find('\0') == std::string::npos;
}

std::string DamageText(const std::string& folder, const std::string& what) {
  return std::string(engine_text::kJournalDamaged) + folder + "\r\n" + what;
}

// Reads the entries of a journal file into `steps`. An entry cut short at the end (its length,
// or fewer bytes than its length says, where the file ends) is left out: the run was killed
// while writing it, before its change. Throws Error on anything else that is not sound.
void ReadJournalFile(Platform& platform, const std::string& path, std::vector<UndoStep>& steps) {
  std::unique_ptr<InputStream> in = platform.OpenRead(path);
  const int64_t size = in->Size();
  if (size < 0) throw Error(std::string(kJournalName) + ": no size");
  for (size_t n = 0;; ++n) {
    const std::string what = std::string(kJournalName) + " entry " + std::to_string(n + 1);
    std::string head(4, '\0');
    if (in->Read(head.data(), head.size()) < head.size()) return;  // the end, or cut short
    const uint32_t length = static_cast<uint32_t>(MemoryReader(head, what).ReadInt32());
    if (length == 0 || length > kMaxJournalEntry) throw Error(what + ": bad length");
    if (static_cast<int64_t>(length) > size - in->Position()) return;  // cut short
    if (steps.size() >= kMaxJournalEntries) throw Error("too many entries");
    std::string bytes(length, '\0');
    if (in->Read(bytes.data(), bytes.size()) != bytes.size()) return;  // cut short
    steps.push_back(DecodeStep(bytes, what));
  }
}

}  // namespace

namespace {
std::string FileNameSafe(const std::string& serial) {
  std::string name;
  for (unsigned char c : serial)
    name += (std::isalnum(c) || c == '-' || c == '_' || c == '{' || c == '}') ? char(c) : '_';
  return name;
}
}  // namespace

std::string LegacyRunBackupFolder(Platform& platform, const std::string& serial) {
  std::string temp = platform.GetTempPath();
  if (!temp.empty() && temp.back() != '\\') temp += '\\';
  return temp + "sktx-" + FileNameSafe(serial);
}

std::string RunBackupFolder(Platform& platform, const std::string& serial) {
  const std::string common = platform.GetSpecialFolderPath(csidl::CommonAppData);
  // A system without a common application-data folder has one user at most.
  if (common.empty()) return LegacyRunBackupFolder(platform, serial);
  const std::string name = FileNameSafe(serial);
  return common + "\\setupkit\\" + (name.empty() ? "_" : name);
}

RecoveryReport RecoverBeforeUninstall(Platform& platform, const std::string& uninstallerPath) {
  UninstallRecorder log(platform);
  try {
    log.LoadFromFile(UninstallLogPath(uninstallerPath));
  } catch (const Error&) {
    return {};
  }
  if (log.UninstallKey().empty()) return {};
  // A live setup of the product holds the folder: its journal is not a dead run's.
  const std::unique_ptr<FileHold> claim = ClaimProductRun(platform, log.UninstallKey());
  return RecoverProductRuns(platform, log.UninstallKey());
}

std::string EncodeStep(const UndoStep& step) {
  MemoryWriter w;
  w.WriteBytes(kMagic, 4);
  w.WriteByte(static_cast<uint8_t>(step.kind));
  w.WriteInt32(static_cast<int32_t>(step.root));
  TElement::WriteString(w, step.path);
  TElement::WriteString(w, step.valueName);
  TElement::WriteString(w, step.backup);
  TElement::WriteString(w, step.previous.bytes);
  w.WriteInt32(static_cast<int32_t>(step.previous.type));
  w.WriteInt32(static_cast<int32_t>(step.attributes));
  w.WriteByte(step.writeTime ? 1 : 0);
  w.WriteInt64(step.writeTime.value_or(0));
  w.WriteBytes(kEnd, 4);
  return std::move(w.Data());
}

UndoStep DecodeStep(const std::string& bytes, const std::string& what) {
  MemoryReader r(bytes, what);
  if (r.ReadBytes(4) != kMagic) r.FailAt(0, "not a journal entry");
  UndoStep step;
  const uint8_t kind = r.ReadByte();
  if (kind < 1 || kind > 8) r.Fail("unknown kind " + std::to_string(kind));
  step.kind = static_cast<UndoStep::Kind>(kind);
  const uint32_t root = static_cast<uint32_t>(r.ReadInt32());
  if (!KnownRoot(root)) r.Fail("unknown registry root");
  step.root = static_cast<RegRoot>(root);
  step.path = TElement::ReadString(r);
  step.valueName = TElement::ReadString(r);
  step.backup = TElement::ReadString(r);
  step.previous.bytes = TElement::ReadString(r);
  step.previous.type = static_cast<uint32_t>(r.ReadInt32());
  step.attributes = static_cast<uint32_t>(r.ReadInt32());
  const uint8_t hasTime = r.ReadByte();
  const int64_t time = r.ReadInt64();
  if (hasTime > 1) r.Fail("bad time flag");
  if (hasTime) step.writeTime = time;
  if (r.Remaining() != 4 || r.ReadBytes(4) != kEnd) r.Fail("no end mark where the entry ends");
  using K = UndoStep::Kind;
  const bool fileKind =
      step.kind == K::CreatedFile || step.kind == K::ReplacedFile || step.kind == K::CreatedFolder;
  if (fileKind && !SoundFilePath(step.path)) r.Fail("bad path");
  // A deferred file lies beside its target ("<target>.<suffix>"): a journal cannot take other
  // programs' pending replacements off the system's list.
  if (step.kind == K::DelayedReplace &&
      (!SoundFilePath(step.path) || !SoundFilePath(step.valueName) ||
       step.path.rfind(step.valueName + ".", 0) != 0 ||
       step.path.find('\\', step.valueName.size()) != std::string::npos))
    r.Fail("bad path");
  if ((step.kind == K::CreatedKey || step.kind == K::NewValue || step.kind == K::ReplacedValue) &&
      !SoundKeyPath(step.path))
    r.Fail("bad key path");
  return step;
}

JournalWriter::JournalWriter(Platform& platform, std::string folder)
    : platform_(platform), folder_(std::move(folder)) {
  if (!folder_.empty() && folder_.back() == '\\') folder_.pop_back();
}

void JournalWriter::operator()(const UndoStep& step) {
  if (!out_) {
    if (!platform_.DirectoryExists(folder_)) platform_.ForceDirectories(folder_);
    out_ = platform_.CreateFile(folder_ + "\\" + kJournalName);
  }
  const std::string entry = EncodeStep(step);
  MemoryWriter w;
  w.WriteInt32(static_cast<int32_t>(entry.size()));
  w.WriteBytes(entry.data(), entry.size());
  // One write of the whole record: a kill can only cut the record short, at the journal's end.
  out_->Write(w.Data().data(), w.Data().size());
  out_->Flush();
}

void JournalWriter::Close() {
  if (!out_) return;
  std::unique_ptr<OutputStream> out = std::move(out_);
  out->Close();
}

RecoveryReport RecoverDeadRun(Platform& platform, const std::string& folderText,
                              const std::function<void()>& status,
                              const RecoveryProgress& stepDone) {
  std::string folder = folderText;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  RecoveryReport report;
  if (!platform.DirectoryExists(folder)) return report;
  const uint32_t folderAttributes = platform.GetFileAttributes(folder);
  if (folderAttributes & attr::ReparsePoint)
    throw Error(DamageText(folder, "the folder is a link"));

  // Everything is read and checked before anything is changed.
  std::vector<std::string> names = platform.ListDirectory(folder);
  // The lock of the run that claimed the folder (this one) is no part of the journal.
  const auto lock = std::find(names.begin(), names.end(), kRunLockName);
  if (lock != names.end()) {
    names.erase(lock);
    if (names.empty()) return report;
  }
  std::sort(names.begin(), names.end());
  std::vector<UndoStep> steps;
  std::vector<std::string> files;
  bool ended = false;
  for (const std::string& name : names) {
    const std::string path = folder + "\\" + name;
    if (name == kRunEndedMark) {
      ended = true;
      continue;
    }
    const bool backup = name[0] == 'b' && Digits(name, 1);
    const bool entry = name[0] == 'j' && Digits(name, 1) && name.size() == 9;
    const bool journal = name == kJournalName;
    if ((!backup && !entry && !journal) ||
        platform.GetFileAttributes(path) & (attr::Directory | attr::ReparsePoint))
      throw Error(DamageText(folder, "unexpected entry " + name));
    files.push_back(path);
    if (backup) continue;
    const bool last = &name == &names.back();
    if (journal) {
      try {
        ReadJournalFile(platform, path, steps);
      } catch (const Error& e) {
        throw Error(DamageText(folder, e.what()));
      }
      continue;
    }
    if (steps.size() >= kMaxJournalEntries) throw Error(DamageText(folder, "too many entries"));
    std::string bytes;
    try {
      std::unique_ptr<InputStream> in = platform.OpenRead(path);
      if (in->Size() < 0 || in->Size() > static_cast<int64_t>(kMaxJournalEntry))
        throw Error(name + ": entry too large");
      bytes.resize(static_cast<size_t>(in->Size()));
      bytes.resize(in->Read(bytes.data(), bytes.size()));
      // The last entry may have been cut short by the kill itself (no end mark): its change,
      // made only once the entry was closed, never happened.
      if (last && (bytes.size() < 4 || bytes.compare(bytes.size() - 4, 4, kEnd) != 0)) continue;
      steps.push_back(DecodeStep(bytes, name));
    } catch (const Error& e) {
      throw Error(DamageText(folder, e.what()));
    }
  }
  for (const UndoStep& step : steps) {
    // A run that had ended may have deleted backups already: its steps are not taken back.
    if (!ended && step.kind == UndoStep::Kind::ReplacedFile) {
      const std::string expected = folder + "\\" + ExtractFileName(step.backup);
      const std::string leaf = ExtractFileName(step.backup);
      if (!SameTextAscii(step.backup, expected) || leaf.empty() || leaf[0] != 'b' ||
          !Digits(leaf, 1) || !platform.FileExists(step.backup))
        throw Error(
            DamageText(folder, DescribeStep(step) + ": backup outside the run folder or missing"));
    }
  }

  report.found = true;
  if (status) status();
  // A run that had ended was killed while deleting its folder: nothing is taken back.
  if (ended) steps.clear();
  for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
    if (it->kind == UndoStep::Kind::Command) {
      report.skipped.push_back(it->path);
      if (stepDone) stepDone(static_cast<size_t>(it - steps.rbegin()) + 1, steps.size());
      continue;
    }
    bool done = false;
    try {
      done = UndoOneStep(platform, *it);
    } catch (const Error&) {
    }
    if (!done) report.failed.push_back(DescribeStep(*it));
    if (stepDone) stepDone(static_cast<size_t>(it - steps.rbegin()) + 1, steps.size());
  }
  const std::string mark = folder + "\\" + kRunEndedMark;
  if (!ended) platform.CreateFile(mark)->Close();
  for (const std::string& file : files) platform.DeleteFile(file);
  platform.DeleteFile(mark);
  platform.RemoveDirectory(folder);
  return report;
}

}  // namespace sk
