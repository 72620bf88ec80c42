// Component package setup files (see ComponentSetup.h).
#include "engine/ComponentSetup.h"

#include <algorithm>

#include "engine/Registry.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

const std::string kSystemDirMacro = "[System Directory]\\\\";

bool IsChosen(const TCompile& model, const std::string& name) {
  return std::any_of(model.ComponentList.begin(), model.ComponentList.end(),
                     [&](const std::string& c) { return SameTextAscii(c, name); });
}

void RunOneComponent(TCompile& model, const std::string& name) {
  Platform& p = model.GetPlatform();
  const std::string ini = FindComponentFile(model, name, name + ".ini");
  if (ini.empty()) return;
  const std::string regRun = p.IniReadString(ini, "Term", "RegRun", "");
  if (!regRun.empty() && RegValueExists(p, regRun)) return;

  if (p.IniReadString(ini, "RegistryList", "Regtype", "System") == "System") {
    const std::string exe =
        FindComponentFile(model, name, p.IniReadString(ini, "Option", "ExeFile", ""));
    if (!exe.empty() && p.FileExists(exe)) RunAndWait(p, exe);
    return;
  }
  for (const std::string& key : p.IniSectionKeys(ini, "SysDirList")) {
    const std::string source = FindComponentFile(model, name, key);
    const std::string target = p.IniReadString(ini, "SysDirList", key, "");
    if (!source.empty() && !target.empty()) CopySystemFile(p, source, target);
  }
}

}  // namespace

std::string FindComponentFile(const TCompile& model, const std::string& component,
                              const std::string& fileName) {
  if (fileName.empty()) return "";
  const std::string name = LowerAscii(fileName);
  for (const auto& item : model.FileList()) {
    if (item->Kind != kind::CompFile || !SameTextAscii(item->Name, component)) continue;
    const std::string path = LowerAscii(item->SourcePath);
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

void RunComponentSetups(TCompile& model) {
  for (const auto& comp : model.CompList())
    if (IsChosen(model, comp->Name)) RunOneComponent(model, comp->Name);
}

}  // namespace sk
