#include "ui/SilentSetup.h"

#include "engine/ExitCodes.h"
#include "engine/Install.h"
#include "package/Integrity.h"
#include "ui/Actions.h"
#include "ui/SwitchChoices.h"

namespace sk {

namespace {

std::string YesNo(bool on) {
  return on ? "yes" : "no";
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text.empty() ? "(none)" : text;
}

}  // namespace

SilentSetupWindows::SilentSetupWindows(const SetupSwitches& switches, RunLog& log)
    : switches_(switches), log_(log) {}

void SilentSetupWindows::ShowPreInstallMessage(const std::string& text, const std::string&) {
  log_.Line("pre-install message not shown: " + text);
}

void SilentSetupWindows::RunLoadingWindow(TCompile& model, SetupContext&) {
  StageFromExecutable(model);
}

RecoveryReport SilentSetupWindows::RunRecoveryWindow(SetupContext&, const RecoveryWork& work) {
  log_.Line("recovery: taking back the unfinished run of an earlier setup of this product");
  const RecoveryReport report = work(nullptr);
  for (const std::string& step : report.failed) log_.Line("recovery: not taken back: " + step);
  for (const std::string& command : report.skipped)
    log_.Line("recovery: registration not undone (command not run): " + command);
  log_.Line("recovery: done");
  return report;
}

void SilentSetupWindows::RunInstallWindow(TCompile& model, SetupContext& context) {
  Install(model, context, {});
}

void SilentSetupWindows::RunBackgroundWindow(TCompile& model, SetupContext& context) {
  Install(model, context, ChoicePageClasses(model));
}

void SilentSetupWindows::RunWizard(TCompile& model, SetupContext& context) {
  Install(model, context, ChoicePageClasses(model));
}

void SilentSetupWindows::Install(TCompile& model, const SetupContext& context,
                                 const std::vector<std::string>& pageClasses) {
  log_.Line("package checked: \"" + model.Package().ItemName + "\"");
  ApplyChoices(model, context, ChoicesFromSwitches(switches_), pageClasses);
  const TInstallData& o = model.Choices().Options;
  log_.Line("install folder: " + o.InstallDir);
  log_.Line("components: " + Joined(model.Choices().ComponentList));
  log_.Line("start-menu shortcuts: " +
            (o.CreateStartMenu ? "yes, folder \"" + o.StartMenuFolder + "\"" : std::string("no")));
  log_.Line("desktop shortcut: " + YesNo(o.CreateDesktop));
  log_.Line("quick-launch shortcut: " + YesNo(o.CreateQuickLaunch));

  std::string lastFile;
  const TCompileProEvent progress = [&](const std::string& file, const std::string& hint,
                                        int64_t position, int64_t max) {
    if (OnProgress) OnProgress(file, hint, position, max);
    if (file.empty()) {
      log_.Line("step: " + hint);
    } else if (file != lastFile) {
      lastFile = file;
      log_.Line("file: " + file);
    }
  };
  InstallStarted = true;
  // Nobody to ask: a held file is tried again for a while, then replaced at the next restart.
  FilesInUse inUse;
  InstallPackage(model, progress, model.GetPlatform().ExecutablePath(), &inUse);
  for (const auto& value : model.Package().RegList())
    log_.Line("registry value: " + value->KeyPath + " \"" + value->ValueName + "\"");
  for (const DeferredFile& file : inUse.deferred)
    log_.Line("file in use: " + file.target + "; the new file " + file.source +
              " replaces it at the next restart");
  Installed = true;
  RebootNeeded = RebootWanted(model) || inUse.RestartNeeded();
  log_.Line("installed; completion actions skipped" +
            std::string(RebootNeeded ? "; a restart is needed" : ""));
}

SilentOutcome RunSilentSetup(Platform& platform, const SetupSwitches& switches, RunLog& log,
                             const SilentRunOptions& options) {
  log.Line("silent setup: " + platform.ExecutablePath());
  SilentSetupWindows windows(switches, log);
  windows.OnProgress = options.onProgress;
  int code = exit_code::kSuccess;
  std::string message;
  try {
    SetupDriver driver(platform, windows);
    driver.Compile().Run().PackageChecked = options.packageChecked;
    try {
      driver.Execute();
      if (!windows.Installed) log.Line("the package opens no window: nothing installed");
      code = windows.RebootNeeded ? exit_code::kRebootNeeded : exit_code::kSuccess;
    } catch (const ChoiceNotOffered& e) {
      message = NotOfferedMessage(e, switches);
      log.Line("error: " + message);
      log.Line("nothing installed");
      code = exit_code::kBadSwitches;
    } catch (const DamagedPackage& e) {
      // Found while a file was inflated: the install was taken back.
      message = e.what();
      log.Line("error: " + message);
      code = exit_code::kDamagedPackage;
    } catch (const std::exception& e) {
      message = e.what();
      log.Line("error: " + message);
      const bool damaged = !windows.InstallStarted && !driver.Compile().Run().PackageChecked;
      code = damaged ? exit_code::kDamagedPackage : exit_code::kInstallFailed;
    }
  } catch (const std::exception& e) {
    // The driver's own set-up or its clean-up failed (out of memory).
    message = e.what();
    log.Line("error: " + message);
    code = exit_code::kInstallFailed;
  }
  log.Line("exit code: " + std::to_string(code));
  return {code, message};
}

}  // namespace sk
