// Loading the package model: trailer, settings block, the settings stream with its per-record
// hooks, group lookup and the needed-space total.
#include "package/Compile.h"

#include <cctype>
#include <cstring>

#include "package/Container.h"
#include "package/PackageBounds.h"

namespace sk {

namespace {

// Smallest encoded size of each record kind (all strings empty); a count is checked against
// the bytes that remain before anything is reserved or read.
constexpr size_t kMinSettingRecord = 4 + 4 + 1;
constexpr size_t kMinFileRecord = 4 * 3 + 7 + 4 + 8 * 3 + 1 + 8 + 1;
constexpr size_t kMinRegRecord = 4 * 4 + 1;
constexpr size_t kMinShortcutRecord = 4 * 6 + 1;
constexpr size_t kMinCompRecord = 4 + 8;

constexpr size_t kTrailerSize = 16;

// Names of the settings that the load itself picks up, in any group, compared byte for byte.
const std::string kItemName = "\xCF\xEE\xC4\xBF\xC3\xFB\xB3\xC6";  // 项目名称
const std::string kAuthor = "\xD7\xF7\xD5\xDF\xC3\xFB\xB3\xC6";    // 作者名称
const std::string kVersion = "\xB0\xE6\xB1\xBE\xBA\xC5";           // 版本号
const std::string kUrl = "\xD7\xF7\xD5\xDF\xCD\xF8\xD6\xB7";       // 作者网址
const std::string kPatch = "Patch";
// 安装完成后，重启操作系统
const std::string kRebootOs =
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xA3\xAC\xD6\xD8\xC6\xF4\xB2\xD9\xD7\xF7\xCF\xB5\xCD"
    "\xB3";
// 安装完成后弹出信息提示
const std::string kHintMsg =
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xB5\xAF\xB3\xF6\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE";
// 安装前弹出信息提示
const std::string kBeforeHintMsg =
    "\xB0\xB2\xD7\xB0\xC7\xB0\xB5\xAF\xB3\xF6\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE";
// 安装完成后弹出网页链接
const std::string kWebHint =
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xB5\xAF\xB3\xF6\xCD\xF8\xD2\xB3\xC1\xB4\xBD\xD3";
// 安装完成后设置IE默认主页
const std::string kDefaultHtml =
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xC9\xE8\xD6\xC3"
    "IE"
    "\xC4\xAC\xC8\xCF\xD6\xF7\xD2\xB3";
const std::string kEnableUnIns = "\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2";  // 卸载程序

bool IsBlankChar(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// A decimal number: optional sign, digits with an optional fraction, optional exponent,
// surrounded by optional blanks. Sets `nonZero` when any mantissa digit is not 0.
bool ParseNumber(const std::string& s, bool& nonZero) {
  size_t i = 0, n = s.size();
  while (i < n && IsBlankChar(s[i])) ++i;
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  nonZero = false;
  auto takeDigits = [&] {
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      if (s[i] != '0') nonZero = true;
      ++i;
      ++digits;
    }
  };
  takeDigits();
  if (i < n && s[i] == '.') {
    ++i;
    takeDigits();
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expStart = i;
    while (i < n && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == expStart) return false;
  }
  while (i < n && IsBlankChar(s[i])) ++i;
  return i == n;
}

bool ToBoolean(const std::string& value) {
  bool nonZero = false;
  if (ParseNumber(value, nonZero)) return nonZero;
  if (SameTextAscii(value, "True")) return true;
  if (SameTextAscii(value, "False")) return false;
  throw Error("'" + value + "' is not a valid boolean value");
}

// Reads a record count; a count <= 0 means no records. A count that the remaining bytes could
// not hold even with empty strings is refused before anything is allocated.
size_t ReadCount(MemoryReader& r, size_t minRecord, const char* what) {
  int32_t count = r.ReadInt32();
  if (count <= 0) return 0;
  if (static_cast<size_t>(count) > r.Remaining() / minRecord)
    r.Fail(std::string("count of ") + std::to_string(count) + " " + what +
           " records needs at least " + std::to_string(static_cast<size_t>(count) * minRecord) +
           " bytes but only " + std::to_string(r.Remaining()) + " remain");
  return static_cast<size_t>(count);
}

void ExpectSection(MemoryReader& r, int section, const char* what) {
  if (r.AtEnd())
    r.Fail("the data ends before section " + std::to_string(section) + " (" + what + ")");
}

void LoadFrom(TCompile& model, InputStream& in, const std::string& name) {
  // The package ends at the end of the file, or where a certificate table appended by signing
  // begins.
  const int64_t packageEnd = LocatePackage(in).end;
  if (packageEnd < static_cast<int64_t>(kTrailerSize))
    throw Error(name + ": file of " + std::to_string(packageEnd) +
                " bytes is too short to hold the 16-byte package trailer");
  const int64_t trailerAt = packageEnd - static_cast<int64_t>(kTrailerSize);
  std::string trailer(kTrailerSize, '\0');
  in.Seek(trailerAt);
  size_t got = 0;
  while (got < kTrailerSize) {
    size_t r = in.Read(trailer.data() + got, kTrailerSize - got);
    if (r == 0)
      throw Error(name + ": cannot read the package trailer at offset " +
                  std::to_string(trailerAt));
    got += r;
  }
  MemoryReader tr(trailer, name + ": package trailer");
  model.Size = tr.ReadInt64();
  const int64_t settingsOffset = tr.ReadInt64();
  if (settingsOffset > 0) {
    if (settingsOffset >= trailerAt)
      throw Error(name + ": settings offset " + std::to_string(settingsOffset) +
                  " lies at or past the package trailer at offset " + std::to_string(trailerAt));
    std::string stream;
    try {
      stream = ExtractRegionToString(in, settingsOffset, trailerAt);
    } catch (const Error& e) {
      throw Error(name + ": settings block: " + e.what());
    }
    model.ParseSettings(stream);
  }
  model.CalcTotalSize();
  model.EvaluateOptions();
}

}  // namespace

void TCustomCompile::ClearLists() {
  InfoList_.clear();
  FileFolderList_.clear();
  FileList_.clear();
  RegFolderList_.clear();
  RegList_.clear();
  CompList_.clear();
  ShotCutFolderList_.clear();
  ShotCutList_.clear();
}

void TCompile::LoadPackage(const std::string& path) {
  if (!platform_.FileExists(path)) return;
  auto in = platform_.OpenRead(path);
  LoadFrom(*this, *in, path);
}

void TCompile::LoadPackageFrom(InputStream& in) {
  LoadFrom(*this, in, "package");
}

void TCompile::ParseSettings(const std::string& stream) {
  MemoryReader r(stream, "settings stream");

  ExpectSection(r, 1, "settings");
  for (size_t i = 0, n = ReadCount(r, kMinSettingRecord, "setting"); i < n; ++i) {
    auto item = std::make_unique<TCompileData>();
    item->Name = TElement::ReadString(r);
    item->Value = TElement::ReadString(r);
    item->Group = r.ReadByte();
    InfoList().push_back(std::move(item));
    OnSettingParsed(*InfoList().back());
  }

  ExpectSection(r, 2, "file folders");
  for (auto& s : ParseCommaText(TElement::ReadString(r))) FileFolderList().push_back(std::move(s));

  ExpectSection(r, 3, "file items");
  for (size_t i = 0, n = ReadCount(r, kMinFileRecord, "file item"); i < n; ++i) {
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
  for (auto& s : ParseCommaText(TElement::ReadString(r))) RegFolderList().push_back(std::move(s));

  ExpectSection(r, 5, "registry values");
  for (size_t i = 0, n = ReadCount(r, kMinRegRecord, "registry value"); i < n; ++i) {
    auto v = std::make_unique<TRegInfoData>();
    v->KeyPath = TElement::ReadString(r);
    v->ValueName = TElement::ReadString(r);
    v->ValueData = TElement::ReadString(r);
    v->TargetOs = TElement::ReadString(r);
    v->ValueType = r.ReadByte();
    RegList().push_back(std::move(v));
  }

  ExpectSection(r, 6, "shortcut folders");
  for (auto& s : ParseCommaText(TElement::ReadString(r)))
    ShotCutFolderList().push_back(std::move(s));

  ExpectSection(r, 7, "shortcuts");
  for (size_t i = 0, n = ReadCount(r, kMinShortcutRecord, "shortcut"); i < n; ++i) {
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
  for (size_t i = 0, n = ReadCount(r, kMinCompRecord, "component package"); i < n; ++i) {
    auto c = std::make_unique<TCompileCompData>();
    c->Name = TElement::ReadString(r);
    c->Size = r.ReadInt64();
    CompList().push_back(std::move(c));
    ComponentList.push_back(CompList().back()->Name);
  }

  ExpectSection(r, 9, "product identifier");
  Serial = TElement::ReadString(r);
  // Bytes after the product identifier are ignored: no reader looks at them.
}

void TCompile::OnSettingParsed(const TCompileData& item) {
  const std::string& n = item.Name;
  const std::string& v = item.Value;
  if (n == kItemName)
    ItemName = v;
  else if (n == kAuthor)
    Author = v;
  else if (n == kVersion)
    Version = v;
  else if (n == kUrl)
    Url = v;
  else if (n == kPatch)
    Patched_ = ToBoolean(v);
  else if (n == kRebootOs)
    Options.RebootOs = v;
  else if (n == kHintMsg)
    Options.HintMsg = v;
  else if (n == kBeforeHintMsg)
    Options.BeforeHintMsg = v;
  else if (n == kWebHint)
    Options.WebHint = v;
  else if (n == kDefaultHtml)
    Options.DefaultHtml = v;
  else if (n == kEnableUnIns)
    Options.EnableUnIns = v;
}

void TCompile::GetGroupSettings(int group, std::vector<TCompileData*>& out) const {
  out.clear();
  for (const auto& item : InfoList())
    if (item->Group == group) out.push_back(item.get());
}

int64_t TCompile::CalcTotalSize() {
  // Unsigned arithmetic: sizes come from the package and must not overflow into undefined
  // behaviour; the total wraps like the 64-bit integer it is stored in.
  uint64_t total = 0;
  for (const auto& c : CompList()) total += static_cast<uint64_t>(c->Size);
  total += static_cast<uint64_t>(Size);
  Options.TotalSize = static_cast<int64_t>(total);
  return Options.TotalSize;
}

}  // namespace sk
