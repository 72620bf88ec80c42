// The settings stream in both directions: TPackage::ParseSettings reads it, SerializeSettings
// writes it. Sections in order: settings, file folders, file items, registry folders, registry
// values, shortcut folders, shortcuts, component packages, product identifier. A field added or
// moved here changes both sides at once.
#include "package/SettingsStream.h"

#include "package/Container.h"

namespace sk {

namespace {

// Smallest encoded size of each record kind (all strings empty); a count is checked against
// the bytes that remain before anything is reserved or read.
constexpr size_t kMinSettingRecord = 4 + 4 + 1;
constexpr size_t kMinFileRecord = 4 * 3 + 7 + 4 + 8 * 3 + 1 + 8 + 1;
constexpr size_t kMinRegRecord = 4 * 4 + 1;
constexpr size_t kMinShortcutRecord = 4 * 6 + 1;
constexpr size_t kMinCompRecord = 4 + 8;

// What is left of kMaxSettingsRecords while a stream is parsed.
class RecordBudget {
 public:
  // Takes `n` records of kind `what` from the budget, or fails at `at` when fewer are left.
  void Take(MemoryReader& r, size_t at, size_t n, const std::string& what) {
    if (n > left_) Refuse(r, at, std::to_string(n), what);
    left_ -= n;
  }
  [[noreturn]] void Refuse(MemoryReader& r, size_t at, const std::string& count,
                           const std::string& what) const {
    r.FailAt(at, "too many records: " + count + " " + what + ", but only " + std::to_string(left_) +
                     " of the " + std::to_string(kMaxSettingsRecords) +
                     " records a package may hold are left");
  }
  size_t Left() const { return left_; }

 private:
  size_t left_ = kMaxSettingsRecords;
};

// Reads a record count; a count <= 0 means no records. A count that the remaining bytes could
// not hold even with empty strings, or that exceeds the record budget, is refused before
// anything is allocated.
size_t ReadCount(MemoryReader& r, size_t minRecord, const char* what, RecordBudget& budget) {
  const size_t at = r.Position();
  int32_t count = r.ReadInt32();
  if (count <= 0) return 0;
  if (static_cast<size_t>(count) > r.Remaining() / minRecord)
    r.Fail(std::string("count of ") + std::to_string(count) + " " + what +
           " records needs at least " + std::to_string(static_cast<size_t>(count) * minRecord) +
           " bytes but only " + std::to_string(r.Remaining()) + " remain");
  budget.Take(r, at, static_cast<size_t>(count), std::string(what) + " records");
  return static_cast<size_t>(count);
}

// Reads a String of comma text into `list`, its items taken from the budget.
void ReadFolders(MemoryReader& r, StringList& list, const char* what, RecordBudget& budget) {
  const size_t at = r.Position();
  auto items = ParseCommaTextAtMost(TElement::ReadString(r), budget.Left());
  if (!items) budget.Refuse(r, at, "more than " + std::to_string(budget.Left()), what);
  budget.Take(r, at, items->size(), what);
  for (auto& s : *items) list.push_back(std::move(s));
}

void ExpectSection(MemoryReader& r, int section, const char* what) {
  if (r.AtEnd())
    r.Fail("the data ends before section " + std::to_string(section) + " (" + what + ")");
}

}  // namespace

void TPackage::ParseSettings(const std::string& stream) {
  MemoryReader r(stream, "settings stream");
  RecordBudget budget;

  ExpectSection(r, 1, "settings");
  for (size_t i = 0, n = ReadCount(r, kMinSettingRecord, "setting", budget); i < n; ++i) {
    auto item = std::make_unique<TCompileData>();
    item->Name = TElement::ReadString(r);
    item->Value = TElement::ReadString(r);
    item->Group = r.ReadByte();
    InfoList().push_back(std::move(item));
    OnSettingParsed(*InfoList().back());
  }

  ExpectSection(r, 2, "file folders");
  ReadFolders(r, FileFolderList(), "file folders", budget);

  ExpectSection(r, 3, "file items");
  for (size_t i = 0, n = ReadCount(r, kMinFileRecord, "file item", budget); i < n; ++i) {
    auto f = std::make_unique<TCompileFileData>();
    f->Name = TElement::ReadString(r);
    f->SourcePath = TElement::ReadString(r);
    f->TargetDir = TElement::ReadString(r);
    f->RunAtStartup = r.ReadByte();
    f->KeepOnUninstall = r.ReadByte();
    f->NoOverwrite = r.ReadByte();
    f->RegisterServer = r.ReadByte();
    f->InstallService = r.ReadByte();
    f->RunAfterInstall = r.ReadByte();
    f->PatchFile = r.ReadByte();
    f->TargetOs = TElement::ReadString(r);
    f->DataStart = r.ReadInt64();
    f->DataEnd = r.ReadInt64();
    f->UncompressedSize = r.ReadInt64();
    f->Kind = r.ReadByte();
    f->FileTime = r.ReadDouble();
    f->ReservedFlag = r.ReadByte();
    FileList().push_back(std::move(f));
  }

  ExpectSection(r, 4, "registry folders");
  ReadFolders(r, RegFolderList(), "registry folders", budget);

  ExpectSection(r, 5, "registry values");
  for (size_t i = 0, n = ReadCount(r, kMinRegRecord, "registry value", budget); i < n; ++i) {
    auto v = std::make_unique<TRegInfoData>();
    v->KeyPath = TElement::ReadString(r);
    v->ValueName = TElement::ReadString(r);
    v->ValueData = TElement::ReadString(r);
    v->TargetOs = TElement::ReadString(r);
    v->ValueType = r.ReadByte();
    RegList().push_back(std::move(v));
  }

  ExpectSection(r, 6, "shortcut folders");
  ReadFolders(r, ShotCutFolderList(), "shortcut folders", budget);

  ExpectSection(r, 7, "shortcuts");
  for (size_t i = 0, n = ReadCount(r, kMinShortcutRecord, "shortcut", budget); i < n; ++i) {
    auto s = std::make_unique<TShotCutData>();
    s->Folder = TElement::ReadString(r);
    s->Name = TElement::ReadString(r);
    s->Target = TElement::ReadString(r);
    s->IconFile = TElement::ReadString(r);
    s->Arguments = TElement::ReadString(r);
    s->Description = TElement::ReadString(r);
    s->Kind = r.ReadByte();
    ShotCutList().push_back(std::move(s));
  }

  ExpectSection(r, 8, "component packages");
  for (size_t i = 0, n = ReadCount(r, kMinCompRecord, "component package", budget); i < n; ++i) {
    auto c = std::make_unique<TCompileCompData>();
    c->Name = TElement::ReadString(r);
    c->Size = r.ReadInt64();
    CompList().push_back(std::move(c));
  }

  ExpectSection(r, 9, "product identifier");
  Serial = TElement::ReadString(r);
  // Bytes after the product identifier are ignored: no reader looks at them.
}

std::string SerializeSettings(const TPackage& model) {
  MemoryWriter w;
  auto count = [&w](size_t n) {
    if (n > static_cast<size_t>(INT32_MAX)) throw Error("too many records to store");
    w.WriteInt32(static_cast<int32_t>(n));
  };

  count(model.InfoList().size());
  for (const auto& s : model.InfoList()) {
    TElement::WriteString(w, s->Name);
    TElement::WriteString(w, s->Value);
    w.WriteByte(s->Group);
  }
  TElement::WriteString(w, WriteCommaText(model.FileFolderList()));

  count(model.FileList().size());
  for (const auto& f : model.FileList()) {
    TElement::WriteString(w, f->Name);
    TElement::WriteString(w, f->SourcePath);
    TElement::WriteString(w, f->TargetDir);
    for (uint8_t b : {f->RunAtStartup, f->KeepOnUninstall, f->NoOverwrite, f->RegisterServer,
                      f->InstallService, f->RunAfterInstall, f->PatchFile})
      w.WriteByte(b);
    TElement::WriteString(w, f->TargetOs);
    w.WriteInt64(f->DataStart);
    w.WriteInt64(f->DataEnd);
    w.WriteInt64(f->UncompressedSize);
    w.WriteByte(f->Kind);  // stream order: Kind and FileTime here, ReservedFlag last
    w.WriteDouble(f->FileTime);
    w.WriteByte(f->ReservedFlag);
  }
  TElement::WriteString(w, WriteCommaText(model.RegFolderList()));

  count(model.RegList().size());
  for (const auto& v : model.RegList()) {
    TElement::WriteString(w, v->KeyPath);
    TElement::WriteString(w, v->ValueName);
    TElement::WriteString(w, v->ValueData);
    TElement::WriteString(w, v->TargetOs);
    w.WriteByte(v->ValueType);
  }
  TElement::WriteString(w, WriteCommaText(model.ShotCutFolderList()));

  count(model.ShotCutList().size());
  for (const auto& s : model.ShotCutList()) {
    TElement::WriteString(w, s->Folder);
    TElement::WriteString(w, s->Name);
    TElement::WriteString(w, s->Target);
    TElement::WriteString(w, s->IconFile);
    TElement::WriteString(w, s->Arguments);
    TElement::WriteString(w, s->Description);
    w.WriteByte(s->Kind);
  }

  count(model.CompList().size());
  for (const auto& c : model.CompList()) {
    TElement::WriteString(w, c->Name);
    w.WriteInt64(c->Size);
  }
  TElement::WriteString(w, model.Serial);
  return std::move(w.Data());
}

}  // namespace sk
