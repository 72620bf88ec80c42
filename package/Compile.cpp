// Loading the package model: trailer, settings block, the settings stream with its per-record
// hooks, group lookup and the needed-space total.
#include "package/Compile.h"

#include <cctype>
#include <cstring>

#include "package/ByteSize.h"
#include "package/Container.h"
#include "package/PackageBounds.h"
#include "package/SettingNames.h"

namespace sk {

namespace {

constexpr size_t kTrailerSize = 16;

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
  model.Package().Size = tr.ReadInt64();
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
  if (!GetPlatform().FileExists(path)) return;
  auto in = GetPlatform().OpenRead(path);
  LoadFrom(*this, *in, path);
}

void TCompile::LoadPackageFrom(InputStream& in) {
  LoadFrom(*this, in, "package");
}

// The identity names are compared byte for byte, in every group.
void TPackage::OnSettingParsed(const TCompileData& item) {
  const std::string& n = item.Name;
  const std::string& v = item.Value;
  if (n == setting::kItemName.name)
    ItemName = v;
  else if (n == setting::kAuthor.name)
    Author = v;
  else if (n == setting::kVersion.name)
    Version = v;
  else if (n == setting::kUrl.name)
    Url = v;
  else if (n == setting::kPatch.name)
    Patched_ = ToBoolean(v);
}

void TCompile::ParseSettings(const std::string& stream) {
  const size_t firstSetting = package_.InfoList().size();
  const size_t firstComponent = package_.CompList().size();
  // The choices follow the records that did parse, also when a later one is malformed.
  auto seed = [&] {
    const auto& infos = package_.InfoList();
    for (size_t i = firstSetting; i < infos.size(); ++i)
      SeedFromSetting(*infos[i], choices_.Options);
    const auto& comps = package_.CompList();
    for (size_t i = firstComponent; i < comps.size(); ++i)
      choices_.ComponentList.push_back(comps[i]->Name);
  };
  try {
    package_.ParseSettings(stream);
  } catch (...) {
    seed();
    throw;
  }
  seed();
}

void TPackage::GetGroupSettings(int group, std::vector<TCompileData*>& out) const {
  out.clear();
  for (const auto& item : InfoList())
    if (item->Group == group) out.push_back(item.get());
}

int64_t TPackage::TotalSize() const {
  // Sizes come from the package: the sum saturates instead of wrapping, so sizes that a crafted
  // package makes add up past the Int64 range never show as a small or negative need.
  int64_t total = 0;
  for (const auto& c : CompList()) total = SaturatingAdd(total, c->Size);
  return SaturatingAdd(total, Size);
}

int64_t TCompile::CalcTotalSize() {
  choices_.Options.TotalSize = package_.TotalSize();
  return choices_.Options.TotalSize;
}

}  // namespace sk
