// File installation (see Files.h).
#include "engine/Files.h"

#include <cmath>

#include "engine/FileErrors.h"
#include "engine/TargetPaths.h"
#include "engine/Texts.h"
#include "package/CivilDate.h"
#include "package/Container.h"
#include "package/Integrity.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kDaysFrom1601To1899_12_30 = 109205;

// An error of the target file itself becomes a sentence that says what is wrong with it; any
// other (the package cannot be read, its data does not inflate) gets the target's name.
[[noreturn]] void RethrowNaming(Platform& platform, const std::string& target, const Error& e) {
  std::string msg = e.what();
  // The system's code stays with the error: a file held by another program is told apart.
  if (msg.find(target) == std::string::npos) throw Error(target + ": " + msg, e.code(), e.reason());
  throw Error(FileErrorText(platform, target, e), e.code(), e.reason());
}

}  // namespace

void ExtractToFile(InstallContext& ctx, const TCompileFileData& item, const std::string& target,
                   std::optional<double> dateTime) {
  std::optional<int64_t> utc;
  if (dateTime) {
    const std::optional<int64_t> local = DateTimeToLocalFileTime(*dateTime);
    if (local) utc = ctx.platform.LocalFileTimeToUtc(*local);
  }
  std::unique_ptr<OutputStream> out;
  try {
    out = ctx.platform.CreateFile(target);
  } catch (const Error& e) {
    RethrowNaming(ctx.platform, target, e);
  }
  const bool timeOnClose = utc && out->SetWriteTimeOnClose(*utc);
  try {
    // The integrity pass before the install leaves these regions to this inflate: a chunk that
    // does not inflate (zlib checks its stream and its Adler-32) or a length that differs from
    // the record is damage of the package, told as such after the install is taken back.
    int64_t written = 0;
    ctx.extractor.Extract(
        ctx.setupFile,
        [&](const char* data, size_t n) {
          written += static_cast<int64_t>(n);
          if (written > item.UncompressedSize) throw ChunkError(item.DataStart, "too long");
          out->Write(data, n);
        },
        item.DataStart, item.DataEnd);
    if (written != item.UncompressedSize) throw ChunkError(item.DataStart, "too short");
    out->Close();
  } catch (const ChunkError& e) {
    out.reset();
    ctx.platform.DeleteFile(target);
    throw DamagedPackage(e.Offset());
  } catch (const Error& e) {
    out.reset();
    ctx.platform.DeleteFile(target);  // a partial file is worse than none
    RethrowNaming(ctx.platform, target, e);
  }
  if (utc && !timeOnClose) ctx.platform.SetFileWriteTime(target, *utc);
}

std::optional<int64_t> DateTimeToLocalFileTime(double dateTime) {
  // 1980-01-01 is day 29221 and 2108-01-01 day 75972; the exact test is on the year below.
  if (!std::isfinite(dateTime) || dateTime < 29000.0 || dateTime > 76500.0) return std::nullopt;
  const int64_t ms = std::llround(dateTime * static_cast<double>(kMsPerDay));
  const int64_t day = ms / kMsPerDay;
  const int64_t msOfDay = ms % kMsPerDay;
  const CivilDate date = CivilFromDays(day + kDayCountEpoch);
  if (date.year < 1980 || date.year > 2107) return std::nullopt;
  int64_t seconds = msOfDay / 1000;
  seconds -= seconds % 2;  // the encoding stores seconds / 2
  return (day + kDaysFrom1601To1899_12_30) * (86400 * kTicksPerSecond) + seconds * kTicksPerSecond;
}

ShortcutReferences::ShortcutReferences(std::vector<TShotCutData>& links) {
  for (TShotCutData& link : links) {
    byPath_[LowerAscii(link.Target)].push_back(&link.Target);
    byPath_[LowerAscii(link.IconFile)].push_back(&link.IconFile);
  }
}

void ShortcutReferences::Retarget(const std::string& oldPath, const std::string& newPath) {
  auto it = byPath_.find(LowerAscii(oldPath));
  if (it == byPath_.end()) return;
  std::vector<std::string*> fields = std::move(it->second);
  byPath_.erase(it);
  for (std::string* field : fields) *field = newPath;
  // A later file whose source is this path moves them on again, as it would one by one.
  std::vector<std::string*>& now = byPath_[LowerAscii(newPath)];
  now.insert(now.end(), fields.begin(), fields.end());
}

void InstallFiles(InstallContext& ctx) {
  TInstallData& options = ctx.choices.Options;
  std::vector<TCompileFileData>& files = ctx.files;
  const int64_t count = static_cast<int64_t>(files.size());
  ShortcutReferences references(ctx.links);
  for (int64_t i = 0; i < count; ++i) {
    TCompileFileData& item = files[static_cast<size_t>(i)];
    if (item.Kind != kind::File || !ctx.OsMatches(item.TargetOs)) continue;
    const std::optional<std::string> folder =
        ResolveTargetDir(item.TargetDir, options.InstallDir, ctx.windowsDir);
    if (!folder) continue;  // unknown notation: never write to the raw text
    if (!ctx.platform.DirectoryExists(*folder)) ctx.recorder.CreateFolderPath(*folder);
    const std::string target = *folder + "\\" + ExtractFileName(item.SourcePath);

    references.Retarget(item.SourcePath, target);
    if (SameTextAscii(options.AppFile, item.SourcePath)) options.AppFile = target;
    if (SameTextAscii(options.ReadmeFile, item.SourcePath)) options.ReadmeFile = target;
    item.SourcePath = target;
    ctx.placed.insert(&item);

    // One lookup of the target serves the file's checks and its undo step (looking up a file
    // that is not there yet reads its whole folder on some systems).
    const uint32_t found = ctx.platform.GetFileAttributes(target);
    const bool exists = found != attr::Invalid && !(found & attr::Directory);
    if (!exists || item.NoOverwrite == 0) {
      ctx.tx.KnownAttributes(target, found);
      const Placement placement = PlaceFile(
          ctx, target,
          [&](const std::string& path) {
            if (exists && path == target) ClearAttributes(ctx.platform, target);
            ExtractToFile(ctx, item, path, item.FileTime);
          },
          found);
      if (placement == Placement::Skipped) {
        // The file stays as it was: nothing of this run to record, register or point at.
        ctx.placed.erase(&item);
        ctx.FileProgress(target, engine_text::kInstallingFile, i + 1, count);
        continue;
      }
      // A file that was there before, outside the product's folders and not the product's own
      // from an earlier install, belongs to someone else: the uninstall keeps it.
      const bool foreign = exists && !ctx.Territory().HoldsFile(target);
      ctx.recorder.AddFile(target, item.KeepOnUninstall || foreign ? 0 : 1);
    }
    ctx.FileProgress(target, engine_text::kInstallingFile, i + 1, count);
  }
}

}  // namespace sk
