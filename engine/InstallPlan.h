// The install plan: what a run would do to the machine, as data, before anything changes.
//
// A plan is an ordered list of PlanItems, in the order the run first makes each change: folders,
// files (with what each replaces, or kept because the package says not to overwrite), shortcuts,
// registry keys and values (with the previous value), and the programs the run starts (COM and
// service registrations, .reg imports, component setups, launches). It is computed by running
// the real setup code on a PlanningPlatform (engine/PlanningPlatform.h), so it lists what the
// install does and cannot drift from it.
//
// DescribePlanItem gives one readable line (GBK, the machine's own texts inside).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sk {

// A file's state: its size, last-write time (UTC FILETIME; nullopt for a new file that gets
// the time of the install) and attributes.
struct PlanFileState {
  int64_t size = 0;
  std::optional<int64_t> writeTime = {};
  uint32_t attributes = 0;
  bool operator==(const PlanFileState&) const = default;
};

struct PlanItem {
  enum class Kind : uint8_t {
    CreateFolder,
    PlaceFile,   // `file` the new file, `replaces` the one there before (nullopt: none)
    KeepFile,    // the install leaves an existing file as it is (`replaces` is that file)
    Shortcut,    // a shell link; `target` what it starts
    DeleteFile,  // `replaces` the file deleted
    RemoveFolder,
    CreateKey,    // root + path
    SetValue,     // root + path + valueName; `value` new, `previous` old (nullopt: none)
    DeleteValue,  // `previous` the value deleted
    DeleteKey,
    Register,  // a COM server or service registration command (`path` the command line)
    Import,    // a process the run starts and waits for (a .reg import)
    RunSetup,  // a component setup program run to its end (`path`, `target` its parameters)
    Open,      // a program or document opened (launch after install, finish actions)
    Pin,       // a shortcut pinned to the taskbar
    Restart,   // the machine restarted
  };
  Kind kind = Kind::CreateFolder;
  std::string path = {};  // file, folder, key below its root, or command line
  RegRoot root = RegRoot::LocalMachine;
  std::string valueName = {};
  PlanFileState file = {};                     // PlaceFile, Shortcut
  std::optional<PlanFileState> replaces = {};  // PlaceFile, Shortcut, KeepFile, DeleteFile
  std::optional<RegValue> value = {};          // SetValue
  std::optional<RegValue> previous = {};       // SetValue, DeleteValue
  std::string target = {};                     // Shortcut target; parameters of a program
};

using InstallPlan = std::vector<PlanItem>;

// A short name of the kind ("folder", "file", "keep", ...), for the printed and JSON forms.
const char* PlanKindName(PlanItem::Kind kind);
// One readable line for the item, e.g. "file C:\App\a.dll (12 bytes, 2024-01-02 03:04:05 UTC)
// replacing 10 bytes, 2020-05-06 07:08:09 UTC".
std::string DescribePlanItem(const PlanItem& item);
// A UTC FILETIME as "YYYY-MM-DD hh:mm:ss UTC".
std::string FileTimeText(int64_t utcFileTime);
// A registry value as text: a string in double quotes, a DWORD as a number, bytes as hex.
std::string RegValueText(const RegValue& value);

}  // namespace sk
