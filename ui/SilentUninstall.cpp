#include "ui/SilentUninstall.h"

#include "engine/ExitCodes.h"
#include "engine/UninstallTexts.h"

namespace sk {

std::unique_ptr<UninstallRecorder> ReadLogOrExplain(Platform& platform, const std::string& uninstaller) {
  try {
    return ReadUninstallLog(platform, uninstaller);
  } catch (const UntrustedLogError&) {
    throw;  // its message says what is wrong already
  } catch (const Error& e) {
    throw Error(std::string(uninstall_text::kBadLog) + "\r\n" + e.what());
  }
}

int RemovalExitCode(const UninstallOutcome& outcome) {
  return outcome.report.Count(RemovalResult::Failed) == 0 ? exit_code::kSuccess
                                                          : exit_code::kInstallFailed;
}

void LogRemoval(RunLog& log, const RemovalReport& report) {
  for (const RemovalEntry& e : report.entries) {
    std::string line = std::string(RemovalResultWord(e.result)) + ": " + RecordName(e.record);
    if (!e.reason.empty()) line += " (" + e.reason + ")";
    log.Line(line);
  }
}

UninstallRunResult SilentUninstall(Platform& platform, const std::string& uninstaller,
                                   RunLog& log) {
  UninstallRunResult result;
  log.Line("silent uninstall: " + uninstaller);
  std::unique_ptr<UninstallRecorder> records;
  try {
    records = ReadLogOrExplain(platform, uninstaller);
  } catch (const std::exception& e) {
    result.code = exit_code::kDamagedPackage;
    result.message = e.what();
    log.Line("error: " + result.message);
    log.Line("nothing removed");
    log.Line("exit code: " + std::to_string(result.code));
    return result;
  }
  log.Line("uninstall log checked: \"" + records->ProductName() + "\"");
  result.outcome = RunUninstall(platform, *records, uninstaller);
  LogRemoval(log, result.outcome->report);
  result.code = RemovalExitCode(*result.outcome);
  log.Line("exit code: " + std::to_string(result.code));
  return result;
}

}  // namespace sk
