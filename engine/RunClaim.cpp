// The claim of one run on its product's journal folder (see RunClaim.h).
#include "engine/RunClaim.h"

#include "engine/Engine.texts.h"

namespace sk {

namespace {

using claim_text::kAlreadyRunning;
using claim_text::kFolderUnusable;

[[noreturn]] void Unusable(const std::string& folder, const std::string& why) {
  throw Error(std::string(kFolderUnusable) + folder + "\r\n" + why);
}

// A folder the claim may use: absent, or a plain folder (no link, no file in its place).
bool Missing(Platform& platform, const std::string& folder) {
  const uint32_t a = platform.GetFileAttributes(folder);
  if (a == attr::Invalid) return true;
  if (!(a & attr::Directory)) Unusable(folder, "not a folder");
  if (a & attr::ReparsePoint) Unusable(folder, "the folder is a link");
  return false;
}

class ProductClaim : public FileHold {
 public:
  ProductClaim(Platform& platform, std::string folder, std::unique_ptr<FileHold> lock)
      : platform_(platform), folder_(std::move(folder)), lock_(std::move(lock)) {}
  ~ProductClaim() override {
    lock_.reset();
    try {
      // Only when the run left them empty: the product's folder, then the shared one.
      if (platform_.RemoveDirectory(folder_))
        platform_.RemoveDirectory(folder_.substr(0, folder_.rfind('\\')));
    } catch (...) {
      // A folder left behind is cleared by the next run.
    }
  }

 private:
  Platform& platform_;
  std::string folder_;
  std::unique_ptr<FileHold> lock_;
};

// Whether the folder holds anything but the lock.
bool HoldsARun(Platform& platform, const std::string& folder) {
  if (!platform.DirectoryExists(folder)) return false;
  for (const std::string& name : platform.ListDirectory(folder))
    if (name != kRunLockName) return true;
  return false;
}

}  // namespace

std::unique_ptr<FileHold> ClaimProductRun(Platform& platform, const std::string& serial) {
  const std::string folder = RunBackupFolder(platform, serial);
  const std::string parent = folder.substr(0, folder.rfind('\\'));
  const bool parentMissing = Missing(platform, parent);
  const bool folderMissing = Missing(platform, folder);
  bool created = false, parentCreated = false;
  try {
    if (parentMissing) {
      if (!platform.CreateDirectory(parent)) Unusable(parent, "cannot create the folder");
      parentCreated = true;
    }
    if (folderMissing) {
      if (!platform.CreateDirectory(folder)) Unusable(folder, "cannot create the folder");
      created = true;
    }
    std::unique_ptr<FileHold> lock = platform.HoldFile(folder + "\\" + kRunLockName);
    if (!lock) throw RunInProgress(kAlreadyRunning);
    return std::make_unique<ProductClaim>(platform, folder, std::move(lock));
  } catch (const Error& e) {
    // Nothing of the claim stays behind.
    if (created) platform.RemoveDirectory(folder);
    if (parentCreated) platform.RemoveDirectory(parent);
    if (dynamic_cast<const RunInProgress*>(&e) ||
        std::string(e.what()).rfind(kFolderUnusable, 0) == 0)
      throw;
    Unusable(folder, e.what());
  }
}

bool DeadRunWaiting(Platform& platform, const std::string& serial) {
  return HoldsARun(platform, LegacyRunBackupFolder(platform, serial)) ||
         HoldsARun(platform, RunBackupFolder(platform, serial));
}

RecoveryReport RecoverProductRuns(Platform& platform, const std::string& serial,
                                  const std::function<void()>& status,
                                  const RecoveryProgress& stepDone) {
  bool said = false;
  const auto once = [&] {
    if (status && !said) status();
    said = true;
  };
  RecoveryReport report;
  for (const std::string& folder :
       {LegacyRunBackupFolder(platform, serial), RunBackupFolder(platform, serial)}) {
    RecoveryReport one = RecoverDeadRun(platform, folder, once, stepDone);
    report.found = report.found || one.found;
    report.failed.insert(report.failed.end(), one.failed.begin(), one.failed.end());
    report.skipped.insert(report.skipped.end(), one.skipped.begin(), one.skipped.end());
  }
  return report;
}

}  // namespace sk
