// The install pipeline (see Install.h).
#include "engine/Install.h"

#include "engine/ComponentSetup.h"
#include "engine/Files.h"
#include "engine/Register.h"
#include "engine/Registry.h"
#include "engine/Removal.h"
#include "engine/ShellLinks.h"
#include "engine/Shortcuts.h"
#include "engine/TargetPaths.h"
#include "engine/Texts.h"
#include "engine/UninstallTexts.h"
#include "engine/Uninstaller.h"
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

// Takes over the records of an "Ins.log" in the current folder, but only when its header names
// this product: the current folder of a setup is often a downloads folder, and records of
// another origin would have the uninstaller remove what this install never made.
void MergeInsLog(Platform& platform, TUnInstall& recorder, const std::string& serial) {
  try {
    recorder.LoadFromFile(InsLogPath(platform));
  } catch (const Error&) {
    // A damaged log from an earlier run contributes nothing; the install goes on.
  }
  if (serial.empty() || !SameTextAscii(recorder.UninstallKey(), serial)) recorder.Clear();
}

// What this run created, newest last, for the undo: records from `first` on, without the items
// that existed before the run; each is removed whatever its RemoveFlag says. The uninstaller
// copy, which has no record, comes last so it goes first.
std::vector<TUnInsData> CreatedByRun(const InstallContext& ctx, size_t first) {
  std::vector<TUnInsData> created;
  const auto& records = ctx.recorder.Records();
  for (size_t i = first; i < records.size(); ++i) {
    if (ctx.replaced.count(RecordIdentity(records[i]))) continue;
    created.push_back(records[i]);
    created.back().RemoveFlag = 1;
  }
  const TUnInsData self{"", ctx.uninstaller, "", 1, unins_kind::File};
  if (!ctx.uninstaller.empty() && !ctx.replaced.count(RecordIdentity(self)))
    created.push_back(self);
  return created;
}

// Removes what the failed run created and returns the text that tells the user so.
std::string UndoInstall(InstallContext& ctx, size_t firstOwnRecord) {
  if (ctx.entryWritten) RemoveUninstallEntry(ctx.platform, ctx.model.Serial, ctx.uninstaller);
  const RemovalReport report = RemoveRecords(ctx.platform, CreatedByRun(ctx, firstOwnRecord));
  std::string text = std::string("\r\n\r\n") + uninstall_text::kUndone;
  if (ctx.replacedFile) text += std::string("\r\n") + uninstall_text::kReplacedStay;
  const std::vector<std::string> failed = report.Names(RemovalResult::Failed);
  if (!failed.empty()) {
    text += std::string("\r\n") + uninstall_text::kNotUndone;
    constexpr size_t kShown = 10;
    for (size_t i = 0; i < failed.size() && i < kShown; ++i) text += "\r\n" + failed[i];
    if (failed.size() > kShown) text += "\r\n...";
  }
  return text;
}

// Everything after the recorder is ready, in pipeline order.
void RunSteps(InstallContext& ctx) {
  TCompile& model = ctx.model;
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
  ctx.entryWritten = true;
  ctx.recorder.WriteUninstallEntry(ctx.uninstaller, model.ItemName, model.Version, model.Url,
                                   model.Author, model.Serial, model.Options.InstallDir);
  ctx.recorder.SaveToFile(UninstallLogPath(ctx.uninstaller));
}

}  // namespace

std::string InsLogPath(Platform& platform) {
  std::string dir = platform.CurrentDirectory();
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir + "Ins.log";
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
  MergeInsLog(platform, recorder, model.Serial);
  const size_t firstOwnRecord = recorder.Records().size();
  platform.ProcessMessages();
  recorder.SetProductName(model.ItemName);
  recorder.SetUninstallKey(model.Serial);

  InstallContext ctx{model,
                     platform,
                     *package,
                     recorder,
                     GetOsVersionCode(platform),
                     GetWindowsFolder(platform),
                     "",
                     {},
                     {},
                     false,
                     false,
                     {}};
  try {
    RunSteps(ctx);
  } catch (const Error& e) {
    // A failed install takes back what it made, so no half-installed product stays behind.
    throw Error(e.what() + UndoInstall(ctx, firstOwnRecord));
  } catch (...) {
    try {
      UndoInstall(ctx, firstOwnRecord);
    } catch (...) {
      // The original failure is the one to report.
    }
    throw;
  }
}

}  // namespace sk
