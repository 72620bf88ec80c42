// Component registration, services, autoruns and launches (see Register.h).
#include "engine/Register.h"

#include "engine/SystemViews.h"
#include "engine/Texts.h"
#include "engine/UninstallRecorder.h"
#include "platform/SystemHelpers.h"

namespace sk {

std::string ComServerCommand(Platform& platform, const std::string& path, bool unregister) {
  const std::string tool = RegsvrPath(platform, kSetupIs32Bit, PeMachine(platform, path));
  if (tool.empty()) return {};  // never fall back to a search by bare name
  return QuoteProgramPath(tool) + (unregister ? " /u /s \"" : " /s \"") + path + "\"";
}

std::string ServiceCommand(const std::string& path, bool uninstall) {
  return QuoteProgramPath(path) + (uninstall ? " -Uninstall" : " -Install");
}

void RegisterComServer(Platform& platform, const std::string& path) {
  const std::string command = ComServerCommand(platform, path, false);
  if (!command.empty()) platform.StartProgram(command, show::Normal);
}

void InstallServiceProgram(Platform& platform, const std::string& path) {
  platform.StartProgram(ServiceCommand(path, false), show::Normal);
}

void SetAutoRun(Platform& platform, const std::string& name, const std::string& path) {
  // The system runs the value as a command line: a path with blanks must be quoted.
  if (auto key = platform.OpenKey(RegRoot::LocalMachine, engine_text::kRunKey, true))
    key->WriteString(name, QuoteProgramPath(path));
}

void LaunchProgram(Platform& platform, const std::string& path) {
  platform.ShellExecute("Open", path, "", ExtractFilePath(path), show::Normal);
}

void RegisterFiles(InstallContext& ctx) {
  using namespace engine_text;
  Platform& p = ctx.platform;
  for (const TCompileFileData& item : ctx.files) {
    if (item.Kind != kind::File || !ctx.placed.count(&item)) continue;
    const std::string& path = item.SourcePath;
    auto status = [&](const std::string& opening) {
      ctx.Status(opening + path + kPleaseWaitClose);
    };
    if (item.RegisterServer) {
      status(kRegisteringComponent);
      const std::string undo = ComServerCommand(p, path, true);
      if (!undo.empty()) ctx.tx.AddUndoCommand(undo);
      RegisterComServer(p, path);
    }
    if (item.InstallService) {
      status(kRegisteringService);
      ctx.tx.AddUndoCommand(ServiceCommand(path, true));
      InstallServiceProgram(p, path);
    }
    if (item.RunAtStartup) {
      status(kInstallingAutoRun);
      // Recorded so that the uninstaller (and the undo of a failed install) removes the value:
      // left behind, the system would try to start a removed program at every logon. The key
      // itself is recorded only where this run creates it.
      const std::string runKey = kRunKey + 1;  // without its leading "\\"
      if (!p.KeyExists(RegRoot::LocalMachine, runKey))
        ctx.recorder.CreateKeyPath(RegRoot::LocalMachine, runKey);
      SetAutoRun(p, ExtractFileName(path), path);
      ctx.recorder.AddRegKey(RootText(RegRoot::LocalMachine), runKey, ExtractFileName(path));
    }
    // Started by InstallPackage once the last change has been made.
    if (item.RunAfterInstall) ctx.launches.push_back(path);
  }
}

}  // namespace sk
