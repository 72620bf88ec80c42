// Component package setup files (see ComponentSetup.h).
#include "engine/ComponentSetup.h"

#include <algorithm>

#include "engine/Registry.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

const std::string kSystemDirMacro = "[System Directory]\\\\";

bool IsChosen(const InstallChoices& choices, const std::string& name) {
  return std::any_of(choices.ComponentList.begin(), choices.ComponentList.end(),
                     [&](const std::string& c) { return SameTextAscii(c, name); });
}

void RunOneComponent(Platform& p, const TPackage& model, const std::string& name) {
  const ComponentFileIndex files(model, name);
  const std::string ini = files.Find(name + ".ini");
  if (ini.empty()) return;
  const std::string regRun = p.IniReadString(ini, "Term", "RegRun", "");
  if (!regRun.empty() && RegValueExists(p, regRun)) return;

  if (p.IniReadString(ini, "RegistryList", "Regtype", "System") == "System") {
    const std::string exe = files.Find(p.IniReadString(ini, "Option", "ExeFile", ""));
    if (!exe.empty() && p.FileExists(exe)) RunAndWait(p, exe);
    return;
  }
  // The section is read once: a file listing thousands of keys is not read again for each.
  for (const auto& [key, target] : p.IniSectionValues(ini, "SysDirList")) {
    const std::string source = files.Find(key);
    if (!source.empty() && !target.empty()) CopySystemFile(p, source, target);
  }
}

}  // namespace

namespace {

// The part after the last backslash that is a character of its own (not a GBK trail byte).
std::string LastElement(const std::string& path) {
  const std::string folder = ExtractFilePath(path);
  return path.substr(folder.size());
}

}  // namespace

ComponentFileIndex::ComponentFileIndex(const TPackage& model, const std::string& component) {
  for (const auto& item : model.FileList()) {
    if (item->Kind != kind::CompFile || !SameTextAscii(item->Name, component)) continue;
    std::string path = LowerAscii(item->SourcePath);
    std::string name = LastElement(path);
    byName_[name].emplace_back(std::move(path), item.get());
  }
}

std::string ComponentFileIndex::Find(const std::string& fileName) const {
  if (fileName.empty()) return "";
  const std::string name = LowerAscii(fileName);
  auto group = byName_.find(LastElement(name));
  if (group == byName_.end()) return "";
  for (const auto& [path, item] : group->second) {
    if (path == name) return item->SourcePath;
    if (path.size() <= name.size() ||
        path.compare(path.size() - name.size(), name.size(), name) != 0)
      continue;
    // The name must follow a real backslash, not the trail byte of a double-byte character.
    const std::string folder = item->SourcePath.substr(0, path.size() - name.size());
    if (folder.back() == '\\' && ExtractFilePath(folder).size() == folder.size())
      return item->SourcePath;
  }
  return "";
}

std::string FindComponentFile(const TPackage& model, const std::string& component,
                              const std::string& fileName) {
  if (fileName.empty()) return "";
  return ComponentFileIndex(model, component).Find(fileName);
}

bool RegValueExists(Platform& platform, const std::string& valuePath) {
  const std::vector<std::string> parts = SplitText(valuePath, "\\");
  if (parts.empty()) return false;
  const std::optional<RegRoot> root = RootFromName(parts[0]);
  if (!root || parts.size() < 2) return false;
  std::string key;
  for (size_t i = 1; i + 1 < parts.size(); ++i) key += (i > 1 ? "\\" : "") + parts[i];
  auto k = platform.OpenKey(*root, key, false);
  if (!k) return false;
  const std::optional<RegValue> v = k->ReadValue(parts.back());
  return v && !v->data.empty();
}

bool RunAndWait(Platform& platform, const std::string& path) {
  return platform.ShellExecuteAndWait(
      path, "", show::Normal, [&platform] { platform.ProcessMessages(); }, [] { return false; });
}

void CopySystemFile(Platform& platform, const std::string& source, const std::string& target) {
  std::string to = target;
  if (to.rfind(kSystemDirMacro, 0) == 0)
    to = GetWindowsFolder(platform) + "\\" + to.substr(kSystemDirMacro.size());
  platform.CopyFileIfAbsent(source, to);
}

void RunComponentSetups(Platform& platform, const TPackage& model, const InstallChoices& choices) {
  for (const auto& comp : model.CompList())
    if (IsChosen(choices, comp->Name)) RunOneComponent(platform, model, comp->Name);
}

void RunComponentSetups(const TPackage& model, const InstallChoices& choices) {
  RunComponentSetups(model.GetPlatform(), model, choices);
}

}  // namespace sk
