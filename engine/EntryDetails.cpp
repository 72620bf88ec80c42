#include "engine/EntryDetails.h"

#include <string>

#include "engine/Texts.h"
#include "package/ByteSize.h"
#include "package/CivilDate.h"
#include "package/Compile.h"

namespace sk {

EntryDetails DetailsOf(const InstallContext& ctx) {
  EntryDetails d;
  d.installLocation = ctx.choices.Options.InstallDir;
  int64_t bytes = 0;
  for (const TCompileFileData& item : ctx.files) {
    const bool counted =
        (item.Kind == kind::File && ctx.placed.count(&item)) || item.Kind == kind::Uninstaller;
    if (counted) bytes = SaturatingAdd(bytes, item.UncompressedSize);
  }
  d.estimatedSizeKiB = SizeInKiB(bytes);
  if (const std::optional<int64_t> now = ctx.platform.LocalNow())
    d.installDate = InstallDateText(*now);
  d.quietUninstall = QuietUninstallCommand(ctx.uninstaller);
  return d;
}

uint32_t SizeInKiB(int64_t bytes) {
  if (bytes <= 0) return 0;
  const int64_t kib = bytes / 1024 + (bytes % 1024 != 0);
  return kib > int64_t{0xFFFFFFFF} ? 0xFFFFFFFFu : static_cast<uint32_t>(kib);
}

std::string InstallDateText(int64_t localFileTime) {
  constexpr int64_t kDayIn100ns = 864000000000;
  constexpr int64_t kDaysFrom1601To1970 = 134774;
  const int64_t days = (localFileTime >= 0 ? localFileTime / kDayIn100ns : 0) - kDaysFrom1601To1970;
  const CivilDate date = CivilFromDays(days);
  // Days before 1601 do not occur (negative times count as 1601-01-01).
  return PaddedDecimal(static_cast<uint64_t>(date.year), 4) + PaddedDecimal(date.month, 2) +
         PaddedDecimal(date.day, 2);
}

std::string QuietUninstallCommand(const std::string& uninstaller) {
  return "\"" + uninstaller + "\" /S";
}

void WriteEntryDetails(Platform& platform, const std::string& serial, const EntryDetails& d) {
  if (serial.empty()) return;  // as for the stored values: never on the Uninstall key itself
  auto key = platform.OpenKey(RegRoot::LocalMachine, engine_text::kUninstallKeyBase + serial, true);
  if (!key) return;
  key->WriteString("InstallLocation", d.installLocation);
  key->WriteDword("EstimatedSize", d.estimatedSizeKiB);
  if (d.installDate) key->WriteString("InstallDate", *d.installDate);
  key->WriteDword("NoModify", 1);
  key->WriteDword("NoRepair", 1);
  key->WriteString("QuietUninstallString", d.quietUninstall);
}

}  // namespace sk
