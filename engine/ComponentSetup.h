// Component package setup files: for every chosen component that brings "<name>.ini" among its
// staged files, either run its installer program (waiting for it) unless a registry value shows
// it is present, or copy the listed files into the Windows folder without overwriting.
//
// INI keys: [Term] RegRun = "<root name>\<key path>\<value name>"; [RegistryList] Regtype
// ("System", the default, runs the program; anything else copies); [Option] ExeFile;
// [SysDirList] <staged file name> = <target path>, "[System Directory]\\" standing for the
// Windows folder. No progress events, nothing recorded, no errors (everything is passed over).
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "package/Compile.h"
#include "platform/Platform.h"

namespace sk {

// On `platform` (the install's transaction, so that a failed install takes the copies back), or
// on the package's own platform.
void RunComponentSetups(Platform& platform, const TPackage& model, const InstallChoices& choices);
void RunComponentSetups(const TPackage& model, const InstallChoices& choices);

// The staged path of the component's file `fileName` (a Kind-3 item of the component whose path
// ends with "\" + fileName, ASCII case-insensitive), or "" (also for an empty file name).
std::string FindComponentFile(const TPackage& model, const std::string& component,
                              const std::string& fileName);

// The staged files of one component grouped by their last path element, for many lookups (a
// component's file list) without a pass over the whole package's file list for each. Borrows
// the model's records: the model must outlive it and keep its file list unchanged.
class ComponentFileIndex {
 public:
  ComponentFileIndex(const TPackage& model, const std::string& component);
  // As FindComponentFile: the first matching item in file-list order, or "".
  std::string Find(const std::string& fileName) const;

 private:
  // Lower-cased last element -> (lower-cased path, item), in file-list order.
  std::unordered_map<std::string, std::vector<std::pair<std::string, const TCompileFileData*>>>
      byName_;
};
// True when the value named by "<root>\<key>\<value>" exists with non-empty data.
bool RegValueExists(Platform& platform, const std::string& valuePath);
// Starts the program through the shell and waits for it, pumping messages. False when it could
// not be started.
bool RunAndWait(Platform& platform, const std::string& path);
// Copies source to target (a leading "[System Directory]\\" becomes the Windows folder), never
// over an existing file.
void CopySystemFile(Platform& platform, const std::string& source, const std::string& target);

}  // namespace sk
