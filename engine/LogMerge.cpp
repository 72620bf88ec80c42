// Records taken over from earlier logs (see LogMerge.h).
#include "engine/LogMerge.h"

#include <algorithm>

#include "engine/Install.h"
#include "engine/Texts.h"
#include "engine/Uninstaller.h"
#include "package/Compile.h"

namespace sk {

namespace {

// The folded path without a trailing separator, or "" for a path that is not absolute (a drive
// or a UNC share) or holds an element Windows reads otherwise.
std::string CleanPath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');  // "/" is never a GBK trail byte
  const bool unc = path.rfind("\\\\", 0) == 0;
  const std::vector<std::string> parts = SplitText(path, "\\");
  if (parts.empty()) return {};
  if (!unc && (parts[0].size() != 2 || parts[0][1] != ':')) return {};
  std::string clean = unc ? "\\\\" + parts[0] : parts[0];
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string& e = parts[i];
    if (e == "." || e == ".." || e.back() == '.' || e.back() == ' ' ||
        e.find(':') != std::string::npos)
      return {};
    clean += "\\" + e;
  }
  return LowerAscii(clean);
}

// The folded "root\key" of a registry record, without separators at either end.
std::string KeyOf(const TUnInsData& r) {
  std::string path = r.Path;
  while (!path.empty() && path.front() == '\\') path.erase(0, 1);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return LowerAscii(r.Root + "\\" + path);
}

// True when `path` is `folder` or lies below it (both folded and clean).
bool Within(const std::string& path, const std::string& folder) {
  return path.size() >= folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '\\');
}

bool WithinAny(const std::string& path, const std::vector<std::string>& folders) {
  return std::any_of(folders.begin(), folders.end(),
                     [&](const std::string& f) { return Within(path, f); });
}

// True when one of `inner` is `outer` or lies below it.
bool HoldsAny(const std::string& outer, const std::vector<std::string>& inner) {
  return std::any_of(inner.begin(), inner.end(),
                     [&](const std::string& i) { return Within(i, outer); });
}

// Keys that hold values of many programs (below any root, folded): a product that had to create
// one of them, or a key above one, does not own what others write into it later.
constexpr const char* kSharedKeys[] = {
    "software\\microsoft\\windows\\currentversion\\run",
    "software\\microsoft\\windows\\currentversion\\runonce",
    "system\\currentcontrolset\\services",
};

bool AboveSharedKey(const std::string& key) {
  const size_t cut = key.find('\\');
  if (cut == std::string::npos || cut + 1 == key.size()) return true;  // a root by itself
  const std::string path = key.substr(cut + 1);
  return std::any_of(std::begin(kSharedKeys), std::end(kSharedKeys),
                     [&](const char* shared) { return Within(shared, path); });
}

}  // namespace

std::string MergePreviousLog(Platform& platform, UninstallRecorder& recorder,
                             const std::string& serial) {
  const std::string keyPath = UninstallEntryKey(serial);
  if (keyPath.empty()) return {};
  std::string command;
  if (auto key = platform.OpenKey(RegRoot::LocalMachine, keyPath, false)) {
    const std::optional<RegValue> v = key->ReadValue("UninstallString");
    if (!v || v->type != RegType::String) return {};
    command = v->data;
  }
  if (command.empty()) return {};
  const std::string uninstaller = ProgramOfCommand(command);
  try {
    const std::unique_ptr<UninstallRecorder> previous = ReadUninstallLog(platform, uninstaller);
    if (!SameTextAscii(previous->UninstallKey(), serial)) return {};
    for (const TUnInsData& r : previous->Records()) recorder.AddRecord(r);
  } catch (const Error&) {
    return {};  // no log the entry vouches for: the product's earlier records are unknown
  }
  return uninstaller;
}

std::vector<TUnInsData> PreviousUninstallerRecords(const std::string& previous,
                                                   const std::string& current) {
  if (previous.empty() || SameFilePath(previous, current)) return {};
  return {{"", previous, "", 1, unins_kind::File},
          {"", UninstallLogPath(previous), "", 1, unins_kind::File}};
}

std::vector<TUnInsData> ReadInsLog(Platform& platform, const std::string& serial) {
  UninstallRecorder log(platform);
  try {
    log.LoadFromFile(InsLogPath(platform));
  } catch (const Error&) {
    return {};  // a damaged log from an earlier run contributes nothing
  }
  if (serial.empty() || !SameTextAscii(log.UninstallKey(), serial)) return {};
  return log.Records();
}

ProductTerritory::ProductTerritory(Platform& platform, const std::string& installDir,
                                   const std::vector<TUnInsData>& records)
    : protected_(platform), install_(CleanPath(installDir)) {
  if (!install_.empty()) {
    if (protected_.Check(installDir).empty()) trees_.push_back(install_);
    places_.push_back(install_);
  }
  for (const TUnInsData& r : records) Add(r);
}

void ProductTerritory::Add(const TUnInsData& r) {
  identities_.insert(RecordIdentity(r));
  if (r.Kind == unins_kind::Registry) {
    const std::string key = KeyOf(r);
    keys_.push_back(key);
    if (r.ValueName.empty() && !AboveSharedKey(key)) keyTrees_.push_back(key);
    return;
  }
  const std::string path = CleanPath(r.Path);
  if (path.empty()) return;
  if (r.Kind == unins_kind::Folder) {
    places_.push_back(path);
    // The folders above the install folder may hold other programs' folders too.
    if ((install_.empty() || !Within(install_, path)) && protected_.Check(r.Path).empty())
      trees_.push_back(path);
  } else if (r.Kind == unins_kind::File) {
    const std::string parent = CleanPath(ExtractFilePath(r.Path));
    if (!parent.empty()) places_.push_back(parent);
  }
}

bool ProductTerritory::HoldsFile(const std::string& path) const {
  const std::string clean = CleanPath(path);
  if (clean.empty()) return false;
  for (const std::string& tree : trees_)
    if (clean.size() > tree.size() && Within(clean, tree)) return true;
  return identities_.count(RecordIdentity({"", path, "", 1, unins_kind::File})) != 0;
}

bool ProductTerritory::Holds(const TUnInsData& r) const {
  switch (r.Kind) {
    case unins_kind::File:
      return HoldsFile(r.Path);
    case unins_kind::Folder: {
      const std::string path = CleanPath(r.Path);
      return !path.empty() && (WithinAny(path, trees_) || HoldsAny(path, places_));
    }
    case unins_kind::Registry: {
      const std::string key = KeyOf(r);
      if (WithinAny(key, keyTrees_)) return true;
      if (!r.ValueName.empty()) return identities_.count(RecordIdentity(r)) != 0;
      return HoldsAny(key, keys_);
    }
    default:
      return false;
  }
}

std::vector<TUnInsData> OwnedRecords(const ProductTerritory& territory,
                                     const std::vector<TUnInsData>& candidates) {
  std::vector<TUnInsData> owned;
  for (const TUnInsData& r : candidates)
    if (territory.Holds(r)) owned.push_back(r);
  return owned;
}

}  // namespace sk
