// The install pipeline (see Install.h).
#include "engine/Install.h"

#include "engine/ComponentSetup.h"
#include "engine/Files.h"
#include "engine/Register.h"
#include "engine/Registry.h"
#include "engine/ShellLinks.h"
#include "engine/Shortcuts.h"
#include "engine/TargetPaths.h"
#include "engine/Texts.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

void CreateResolved(InstallContext& ctx, const std::string& text) {
  auto folder = ResolveTargetDir(text, ctx.model.Options.InstallDir, ctx.windowsDir);
  if (folder && !ctx.platform.DirectoryExists(*folder)) ctx.recorder.CreateFolderPath(*folder);
}

void CopyUninstaller(InstallContext& ctx, const TCompileFileData& item) {
  const std::string target = ctx.model.Options.InstallDir + "\\" + ExtractFileName(item.SourcePath);
  ExtractToFile(ctx, item, target);
  ctx.uninstaller = target;
}

void MakeUninstallShortcut(InstallContext& ctx) {
  const TInstallData& o = ctx.model.Options;
  // Start-menu shortcuts switched off by the user: no uninstall shortcut
  // either.
  if (!o.CreateStartMenu) return;
  auto folder = ResolveShortcutFolder(ctx.platform, o, engine_text::kRootStartMenu);
  if (!folder) return;
  if (!ctx.platform.DirectoryExists(*folder)) ctx.recorder.CreateFolderPath(*folder);
  std::string name =
      engine_text::kUninstallLinkOpen + ctx.model.ItemName + engine_text::kUninstallLinkClose;
  MakeUniqueName(ctx.platform, *folder, name, ".lnk");
  CreateShellLink(ctx.platform, *folder, name + ".lnk", ctx.uninstaller, "", "", "");
  const std::string file = *folder + "\\" + name + ".lnk";
  if (ctx.platform.FileExists(file)) ctx.recorder.AddFile(file, 1);
}

void MergeInsLog(Platform& platform, TUnInstall& recorder) {
  try {
    recorder.LoadFromFile(InsLogPath(platform));
  } catch (const Error&) {
    // A damaged log from an earlier run contributes nothing; the install goes
    // on.
  }
}

}  // namespace

std::string InsLogPath(Platform& platform) {
  std::string dir = platform.CurrentDirectory();
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir + "Ins.log";
}

std::string UninstallLogPath(const std::string& uninstallerPath) {
  const size_t keep = uninstallerPath.size() >= 3 ? uninstallerPath.size() - 3 : 0;
  return uninstallerPath.substr(0, keep) + "log";
}

void CreateInstallFolders(InstallContext& ctx) {
  const std::string& installDir = ctx.model.Options.InstallDir;
  if (!installDir.empty() && !ctx.platform.DirectoryExists(installDir))
    ctx.recorder.CreateFolderPath(installDir);
  for (const std::string& text : ctx.model.FileFolderList()) CreateResolved(ctx, text);
  for (const auto& item : ctx.model.FileList())
    if (item->Kind == kind::Folder) CreateResolved(ctx, item->TargetDir + "\\" + item->Name);
}

void WriteUninstallInfo(InstallContext& ctx) {
  ctx.Status(engine_text::kWritingUninstall);
  for (const auto& item : ctx.model.FileList())
    if (item->Kind == kind::Uninstaller) CopyUninstaller(ctx, *item);
  if (ctx.uninstaller.empty()) return;
  MakeUninstallShortcut(ctx);
}

void InstallPackage(TCompile& model, const std::string& setupPath) {
  Platform& platform = model.GetPlatform();
  std::unique_ptr<InputStream> package = platform.OpenRead(setupPath);
  TUnInstall recorder(platform);
  MergeInsLog(platform, recorder);
  platform.ProcessMessages();
  recorder.SetProductName(model.ItemName);
  recorder.SetUninstallKey(model.Serial);

  InstallContext ctx{
      model, platform, *package, recorder, GetOsVersionCode(platform), GetWindowsFolder(platform),
      "",    {}};
  ctx.Status(engine_text::kCreatingFolders);
  CreateInstallFolders(ctx);
  InstallFiles(ctx);
  RegisterFiles(ctx);
  if (model.Patched()) return;

  RunComponentSetups(model);
  WriteRegistry(ctx);
  CreateShortcuts(ctx);
  if (model.Options.EnableUnIns != text::kEnabled) return;
  WriteUninstallInfo(ctx);
  // Without an uninstaller there is nothing for an entry or a log to point at.
  if (ctx.uninstaller.empty()) return;
  recorder.WriteUninstallEntry(ctx.uninstaller, model.ItemName, model.Version, model.Url,
                               model.Author, model.Serial, model.Options.InstallDir);
  recorder.SaveToFile(UninstallLogPath(ctx.uninstaller));
}

}  // namespace sk
