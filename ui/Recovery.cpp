// Start-up recovery of Setup.exe without windows (see Recovery.h).
#include "ui/Recovery.h"

#include "engine/RunClaim.h"

namespace sk {

RecoveryReport RecoverAtStartup(TCompile& model, const RecoveryShow& show) {
  Platform& platform = model.GetPlatform();
  model.Run().ProductClaim = ClaimProductRun(platform, model.Package().Serial);
  if (!DeadRunWaiting(platform, model.Package().Serial)) return {};
  const std::string serial = model.Package().Serial;
  return show([&platform, serial](const RecoveryProgress& stepDone) {
    return RecoverProductRuns(platform, serial, nullptr, stepDone);
  });
}

std::string RecoveryNotice(const RecoveryReport& report) {
  std::vector<std::string> left = report.failed;
  left.insert(left.end(), report.skipped.begin(), report.skipped.end());
  if (left.empty()) return {};
  std::string text = recovery_text::kNotTakenBack;
  constexpr size_t kMaxLines = 10;
  for (size_t i = 0; i < left.size() && i < kMaxLines; ++i) text += "\r\n" + left[i];
  if (left.size() > kMaxLines) text += "\r\n...";
  return text;
}

}  // namespace sk
