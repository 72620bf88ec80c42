// Removal of recorded items (see Removal.h).
#include "engine/Removal.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "engine/PathForm.h"
#include "engine/UninstallTexts.h"
#include "package/Compile.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

namespace txt = uninstall_text;

// Special folders that are never removed themselves (CSIDL numbers): desktop, programs,
// documents, favorites, startup, recent, send to, start menu, desktop folder, fonts, templates,
// the common start menu, programs, startup and desktop, application data, local application
// data, common application data, Windows, system, program files, profile, common program files,
// common documents.
constexpr int kSystemFolders[] = {0,  2,  5,  6,  7,  8,  9,  11, 16, 20, 21, 22,
                                  23, 24, 25, 26, 28, 35, 36, 37, 38, 40, 43, 46};

const char* RootName(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case RegRoot::Users:
      return "HKEY_USERS";
    case RegRoot::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
  }
  return "";
}

RemovalEntry Outcome(const TUnInsData& r, RemovalResult result, std::string reason = {}) {
  return RemovalEntry{r, result, std::move(reason)};
}

RemovalEntry RemoveFile(Platform& p, const ProtectedPlaces& places, const TUnInsData& r) {
  if (std::string why = places.Check(r.Path); !why.empty())
    return Outcome(r, RemovalResult::Refused, why);
  if (r.RemoveFlag == 0) return Outcome(r, RemovalResult::Kept, txt::kKeptByFlag);
  if (!p.FileExists(r.Path)) {
    // A folder standing where the file was is not the file the log names.
    if (p.DirectoryExists(r.Path)) return Outcome(r, RemovalResult::Kept, txt::kUnknownRecord);
    return Outcome(r, RemovalResult::Missing);
  }
  if (p.DeleteFile(r.Path)) return Outcome(r, RemovalResult::Removed);
  const uint32_t a = p.GetFileAttributes(r.Path);
  if (a != attr::Invalid && (a & (attr::ReadOnly | attr::Hidden | attr::System)) &&
      p.SetFileAttributes(r.Path, attr::Normal) && p.DeleteFile(r.Path))
    return Outcome(r, RemovalResult::Removed);
  if (a != attr::Invalid && (a & attr::ReadOnly)) p.SetFileAttributes(r.Path, a);
  return Outcome(r, RemovalResult::Failed, txt::kCannotRemove);
}

RemovalEntry RemoveFolder(Platform& p, const ProtectedPlaces& places, const TUnInsData& r) {
  if (std::string why = places.Check(r.Path); !why.empty())
    return Outcome(r, RemovalResult::Refused, why);
  if (!p.DirectoryExists(r.Path)) return Outcome(r, RemovalResult::Missing);
  if (p.RemoveDirectory(r.Path)) return Outcome(r, RemovalResult::Removed);
  if (!p.ListDirectory(r.Path).empty()) return Outcome(r, RemovalResult::Kept, txt::kNotEmpty);
  return Outcome(r, RemovalResult::Failed, txt::kCannotRemove);
}

RemovalEntry RemoveRegistry(Platform& p, const TUnInsData& r) {
  const std::optional<RegRoot> root = RootOfRecord(r.Root);
  if (!root) return Outcome(r, RemovalResult::Refused, txt::kUnknownRecord);
  std::string path = r.Path;
  while (!path.empty() && path[0] == '\\') path.erase(0, 1);
  if (path.empty() || path.find("\\\\") != std::string::npos || path.back() == '\\')
    return Outcome(r, RemovalResult::Refused, txt::kBadPath);
  auto key = p.OpenKey(*root, path, false);
  if (!key) return Outcome(r, RemovalResult::Missing);
  if (!r.ValueName.empty()) {
    if (!key->ValueExists(r.ValueName)) return Outcome(r, RemovalResult::Missing);
    if (key->DeleteValue(r.ValueName)) return Outcome(r, RemovalResult::Removed);
    return Outcome(r, RemovalResult::Failed, txt::kCannotRemove);
  }
  // A key the install created: gone only when nothing unrecorded is left in it. Its default
  // value is the one value an empty-named record may also stand for, so it does not keep it.
  if (!key->SubKeyNames().empty()) return Outcome(r, RemovalResult::Kept, txt::kNotEmpty);
  for (const std::string& name : key->ValueNames())
    if (!name.empty()) return Outcome(r, RemovalResult::Kept, txt::kNotEmpty);
  key.reset();
  if (p.DeleteKey(*root, path)) return Outcome(r, RemovalResult::Removed);
  return Outcome(r, RemovalResult::Failed, txt::kCannotRemove);
}

}  // namespace

std::optional<RegRoot> RootOfRecord(const std::string& rootText) {
  for (RegRoot root : {RegRoot::ClassesRoot, RegRoot::CurrentUser, RegRoot::LocalMachine,
                       RegRoot::Users, RegRoot::CurrentConfig})
    if (rootText == RootText(root)) return root;
  return std::nullopt;
}

const char* RemovalResultWord(RemovalResult result) {
  switch (result) {
    case RemovalResult::Removed:
      return "removed";
    case RemovalResult::Missing:
      return "missing";
    case RemovalResult::Kept:
      return "kept";
    case RemovalResult::Refused:
      return "refused";
    case RemovalResult::Failed:
      return "failed";
  }
  return "";
}

std::string RecordName(const TUnInsData& r) {
  if (r.Kind != unins_kind::Registry) return r.Path;
  const std::optional<RegRoot> root = RootOfRecord(r.Root);
  std::string path = r.Path;
  while (!path.empty() && path[0] == '\\') path.erase(0, 1);
  std::string name = (root ? RootName(*root) : r.Root) + std::string("\\") + path;
  if (!r.ValueName.empty()) name += "\\" + r.ValueName;
  return name;
}

size_t RemovalReport::Count(RemovalResult result) const {
  return static_cast<size_t>(std::count_if(entries.begin(), entries.end(),
                                           [result](const auto& e) { return e.result == result; }));
}

std::vector<std::string> RemovalReport::Names(RemovalResult result) const {
  std::vector<std::string> names;
  for (const RemovalEntry& e : entries)
    if (e.result == result) names.push_back(RecordName(e.record));
  return names;
}

ProtectedPlaces::ProtectedPlaces(Platform& platform) : platform_(platform) {
  auto add = [this](const std::string& path) {
    WinPathForm n = LongForm(path);
    if (n.ok) folders_.push_back(n.folded);
  };
  add(GetWindowsFolder(platform));
  for (int csidl : kSystemFolders) add(GetSpecialFolder(platform, csidl));
  // The folder of the user profiles: the parent of the profile folder, or of the folder that
  // holds the desktop when the system names no profile folder.
  std::string profile = GetSpecialFolder(platform, 40);
  if (profile.empty())
    profile = StripTrailingBackslash(ExtractFilePath(GetSpecialFolder(platform, 0)));
  WinPathForm n = LongForm(profile);
  if (n.ok && !n.root) profilesRoot_ = n.parentFolded;
}

WinPathForm ProtectedPlaces::LongForm(const std::string& path) const {
  const WinPathForm given = NormaliseWinPath(path);
  if (!given.ok) return given;
  // A short (8.3) name is another spelling of the same folder: compare the long names. The
  // names the system makes up always hold a "~", and asking the system for the long form costs
  // a lookup per element (seconds for a log of thousands of records under some systems), so a
  // path without one is its own long form.
  if (given.path.find('~') == std::string::npos) return given;
  WinPathForm n = NormaliseWinPath(platform_.LongPathName(given.path));
  n.altered = n.altered || given.altered;
  return n;
}

std::string ProtectedPlaces::Check(const std::string& path) const {
  const WinPathForm n = LongForm(path);
  if (!n.ok) return txt::kBadPath;
  if (n.root) return txt::kProtected;
  if (std::find(folders_.begin(), folders_.end(), n.folded) != folders_.end())
    return txt::kProtected;
  if (!profilesRoot_.empty() && (n.folded == profilesRoot_ || n.parentFolded == profilesRoot_))
    return txt::kProtected;
  // No install records a name that Windows would open under another spelling.
  if (n.altered) return txt::kBadPath;
  return {};
}

RemovalReport RemoveRecords(Platform& platform, const std::vector<TUnInsData>& records,
                            size_t first, const RemovalProgress& progress) {
  RemovalReport report;
  if (first >= records.size()) return report;
  const ProtectedPlaces places(platform);
  const int64_t total = static_cast<int64_t>(records.size() - first);
  int64_t done = 0;
  for (size_t i = records.size(); i-- > first;) {
    const TUnInsData& r = records[i];
    if (progress) progress(RecordName(r), done + 1, total);
    switch (r.Kind) {
      case unins_kind::File:
        report.entries.push_back(RemoveFile(platform, places, r));
        break;
      case unins_kind::Folder:
        report.entries.push_back(RemoveFolder(platform, places, r));
        break;
      case unins_kind::Registry:
        report.entries.push_back(RemoveRegistry(platform, r));
        break;
      default:
        report.entries.push_back(Outcome(r, RemovalResult::Refused, txt::kUnknownRecord));
        break;
    }
    ++done;
  }
  return report;
}

}  // namespace sk
