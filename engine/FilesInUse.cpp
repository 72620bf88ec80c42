// Files held by another program during an install (see FilesInUse.h).
#include "engine/FilesInUse.h"

#include "engine/Context.h"
#include "engine/FilesInUseTexts.h"

namespace sk {

namespace {

// Far more than any folder holds of one file's deferred copies; beyond it the run gives up.
constexpr int kMaxBesideNames = 1000;

// A free name beside the target for the file that replaces it at the restart.
std::string BesidePath(Platform& platform, const std::string& target) {
  for (int n = 1; n <= kMaxBesideNames; ++n) {
    std::string path = target + ".~sk" + std::to_string(n);
    if (platform.GetFileAttributes(path) == attr::Invalid) return path;
  }
  throw Error(std::string(in_use_text::kCannotDeferOpen) + target + in_use_text::kCannotDeferClose);
}

Placement Defer(InstallContext& ctx, FilesInUse& inUse, const std::string& target,
                const std::function<void(const std::string&)>& write) {
  const std::string beside = BesidePath(ctx.platform, target);
  write(beside);
  if (!ctx.platform.ReplaceFileAtRestart(beside, target))
    throw Error(std::string(in_use_text::kCannotDeferOpen) + target +
                in_use_text::kCannotDeferClose);
  inUse.deferred.push_back({beside, target});
  return Placement::Deferred;
}

}  // namespace

std::string FileInUseQuestion(const std::string& target) {
  return in_use_text::kQuestionOpen + target + in_use_text::kQuestionClose;
}

Placement PlaceFile(InstallContext& ctx, const std::string& target,
                    const std::function<void(const std::string& path)>& write,
                    std::optional<uint32_t> known) {
  FilesInUse* inUse = ctx.filesInUse;
  // Only a run that can skip a file needs them (a lookup of a missing file is costly).
  const uint32_t before = known                 ? *known
                          : inUse && inUse->ask ? ctx.platform.GetFileAttributes(target)
                                                : attr::Invalid;
  for (int attempt = 1;; ++attempt) {
    try {
      write(target);
      return Placement::Written;
    } catch (const Error& e) {
      if (!inUse || !e.FileInUse()) throw;
      if (!inUse->ask) {
        if (attempt > inUse->attempts) return Defer(ctx, *inUse, target, write);
        ctx.platform.Pause(inUse->waitMs);
        continue;
      }
      switch (inUse->ask(target)) {
        case InUseAnswer::Retry:
          continue;
        case InUseAnswer::Skip:
          // The attempt may have cleared a read-only bit before the system refused the file.
          if (before != attr::Invalid && ctx.platform.GetFileAttributes(target) != before)
            ctx.platform.SetFileAttributes(target, before);
          inUse->skipped.push_back(target);
          return Placement::Skipped;
        case InUseAnswer::Cancel:
          throw InstallCancelled(in_use_text::kCancelled);
      }
      throw;
    }
  }
}

}  // namespace sk
