// The values of the product's Uninstall entry that the system's list of programs and package
// managers read, beyond the entry's stored values (UninstallRecorder::WriteUninstallEntry): where
// the product lies, how much it takes, when it was installed, that it offers no change or repair,
// and the command that removes it without a question.
//
// They are written after the stored values, in this order: InstallLocation (REG_SZ, the install
// folder), EstimatedSize (REG_DWORD, KiB rounded up, of the files this install placed and its
// uninstaller), InstallDate (REG_SZ yyyymmdd, local date; left out when the machine has no
// clock), NoModify and NoRepair (REG_DWORD 1), QuietUninstallString (REG_SZ
// "\"<uninstaller>\" /S"). The uninstaller and the undo of a failed install remove the entry with
// all its values (RemoveUninstallEntry), these included. No errors: a key that cannot be opened
// is passed over, as for the stored values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/Context.h"

namespace sk {

struct EntryDetails {
  std::string installLocation;
  uint32_t estimatedSizeKiB = 0;
  std::optional<std::string> installDate;
  std::string quietUninstall;
};

EntryDetails DetailsOf(const InstallContext& ctx);
// Bytes as KiB, rounded up; negative counts as 0, more than a DWORD holds as 0xFFFFFFFF.
uint32_t SizeInKiB(int64_t bytes);
// "yyyymmdd" of a local FILETIME value.
std::string InstallDateText(int64_t localFileTime);
std::string QuietUninstallCommand(const std::string& uninstaller);

void WriteEntryDetails(Platform& platform, const std::string& serial, const EntryDetails& details);

}  // namespace sk
