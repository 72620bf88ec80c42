// The install pipeline (see Install.h).
#include "engine/Install.h"

#include <cctype>
#include <optional>

#include "engine/ComponentSetup.h"
#include "engine/EntryDetails.h"
#include "engine/Files.h"
#include "engine/Journal.h"
#include "engine/LogMerge.h"
#include "engine/Register.h"
#include "engine/Registry.h"
#include "engine/Removal.h"
#include "engine/RunClaim.h"
#include "engine/Sha256.h"
#include "engine/ShellLinks.h"
#include "engine/Shortcuts.h"
#include "engine/TargetPaths.h"
#include "engine/Texts.h"
#include "engine/UninstallTexts.h"
#include "engine/Uninstaller.h"
#include "package/Integrity.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

void CreateResolved(InstallContext& ctx, const std::string& text) {
  auto folder = ResolveTargetDir(text, ctx.choices.Options.InstallDir, ctx.windowsDir);
  if (folder && !ctx.platform.DirectoryExists(*folder)) ctx.recorder.CreateFolderPath(*folder);
}

// The product key of an uninstall log's header, or nullopt when the log is missing; a log that
// cannot be read counts as another product's.
std::optional<std::string> LogOwner(Platform& platform, const std::string& uninstaller) {
  const std::string path = UninstallLogPath(uninstaller);
  if (!platform.FileExists(path)) return std::nullopt;
  UninstallRecorder log(platform);
  try {
    log.LoadFromFile(path);
  } catch (const Error&) {
    return std::string();
  }
  return log.UninstallKey();
}

// A file-name-safe form of the product identifier.
std::string SafeName(const std::string& serial) {
  std::string name;
  for (unsigned char c : serial)
    name += (std::isalnum(c) || c == '-' || c == '_' || c == '{' || c == '}') ? char(c) : '_';
  return name;
}

// The path the uninstaller item is copied to. The log beside an uninstaller is that of one
// product: when the plain name's log belongs to another product installed into the same folder,
// this product's uninstaller takes a name of its own (the file name with "_" and the product
// identifier before the extension), which a reinstall finds again by its log.
std::string UninstallerTarget(InstallContext& ctx, const TCompileFileData& item) {
  const std::string& serial = ctx.package.Serial;
  const std::string& installDir = ctx.choices.Options.InstallDir;
  const std::string name = ExtractFileName(item.SourcePath);
  const std::string plain = installDir + "\\" + name;
  if (serial.empty()) return plain;
  const size_t dot = name.rfind('.');
  const std::string own = installDir + "\\" + name.substr(0, dot) + "_" + SafeName(serial) +
                          (dot == std::string::npos ? "" : name.substr(dot));
  const std::optional<std::string> ownOwner = LogOwner(ctx.platform, own);
  if (ownOwner && SameTextAscii(*ownOwner, serial)) return own;
  const std::optional<std::string> plainOwner = LogOwner(ctx.platform, plain);
  if (!plainOwner || SameTextAscii(*plainOwner, serial)) return plain;
  return own;
}

void CopyUninstaller(InstallContext& ctx, const TCompileFileData& item) {
  const std::string target = UninstallerTarget(ctx, item);
  // A running uninstaller holds its file; skipped, the one there stays the product's.
  PlaceFile(ctx, target, [&](const std::string& path) { ExtractToFile(ctx, item, path); });
  ctx.uninstaller = target;
}

void MakeUninstallShortcut(InstallContext& ctx) {
  const TInstallData& o = ctx.choices.Options;
  // Start-menu shortcuts switched off by the user: no uninstall shortcut
  // either.
  if (!o.CreateStartMenu) return;
  auto folder = ResolveShortcutFolder(ctx.platform, o, engine_text::kRootStartMenu);
  if (!folder) return;
  if (!ctx.platform.DirectoryExists(*folder)) ctx.recorder.CreateFolderPath(*folder);
  std::string name =
      engine_text::kUninstallLinkOpen + ctx.package.ItemName + engine_text::kUninstallLinkClose;
  ChooseLinkName(ctx, *folder, name, ".lnk");
  CreateShellLink(ctx.platform, *folder, name + ".lnk", ctx.uninstaller, "", "", "");
  const std::string file = *folder + "\\" + name + ".lnk";
  if (ctx.platform.FileExists(file)) ctx.recorder.AddFile(file, 1);
}

// Puts the "Ins.log" records that lie in the product's territory after the product's earlier
// records and before this run's; the rest are dropped. Before them, the previous uninstaller and
// its log when the product moved.
void TakeInsLogRecords(InstallContext& ctx) {
  // A product moved to another folder leaves the old uninstaller and log to this uninstall.
  ctx.firstOwnRecord += ctx.recorder.InsertRecords(
      ctx.firstOwnRecord, PreviousUninstallerRecords(ctx.previousUninstaller, ctx.uninstaller));
  if (ctx.insLog.empty()) return;
  ctx.firstOwnRecord +=
      ctx.recorder.InsertRecords(ctx.firstOwnRecord, OwnedRecords(ctx.Territory(), ctx.insLog));
  ctx.ResetTerritory();
  ctx.insLog.clear();
}

// Takes back every change of the failed run (created items removed, replaced files and values
// restored, registrations unregistered) and returns the text that tells the user so.
std::string UndoInstall(InstallContext& ctx) {
  std::string text = std::string("\r\n\r\n") + uninstall_text::kUndone;
  const std::vector<std::string> failed = ctx.tx.Undo();
  if (!failed.empty()) {
    text += std::string("\r\n") + uninstall_text::kNotUndone;
    constexpr size_t kShown = 10;
    for (size_t i = 0; i < failed.size() && i < kShown; ++i) text += "\r\n" + failed[i];
    if (failed.size() > kShown) text += "\r\n...";
  }
  return text;
}

template <typename T>
std::vector<T> CopyRecords(const RecordList<T>& records) {
  std::vector<T> copies;
  copies.reserve(records.size());
  for (const auto& record : records) copies.push_back(*record);
  return copies;
}

// Everything after the recorder is ready, in pipeline order.
void RunSteps(InstallContext& ctx) {
  const TPackage& model = ctx.package;
  const TInstallData& options = ctx.choices.Options;
  ctx.Status(engine_text::kCreatingFolders);
  CreateInstallFolders(ctx);
  InstallFiles(ctx);
  RegisterFiles(ctx);
  if (model.Patched()) return;

  RunComponentSetups(ctx.platform, model, ctx.choices);
  WriteRegistry(ctx);
  CreateShortcuts(ctx);
  if (options.EnableUnIns != text::kEnabled) return;
  WriteUninstallInfo(ctx);
  // Without an uninstaller there is nothing for an entry or a log to point at.
  if (ctx.uninstaller.empty()) return;
  TakeInsLogRecords(ctx);
  // The entry carries the digest of the exact bytes saved next: the uninstaller acts only on
  // the log this install wrote.
  const std::string log = ctx.recorder.SaveToBytes();
  ctx.entryWritten = true;
  ctx.recorder.WriteUninstallEntry(ctx.uninstaller, model.ItemName, model.Version, model.Url,
                                   model.Author, model.Serial, options.InstallDir, Sha256Hex(log));
  WriteEntryDetails(ctx.platform, model.Serial, DetailsOf(ctx));
  WriteLogFile(ctx.platform, UninstallLogPath(ctx.uninstaller), log);
}

}  // namespace

std::string InsLogPath(Platform& platform) {
  std::string dir = platform.CurrentDirectory();
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir + "Ins.log";
}

void CreateInstallFolders(InstallContext& ctx) {
  const std::string& installDir = ctx.choices.Options.InstallDir;
  if (!installDir.empty() && !ctx.platform.DirectoryExists(installDir))
    ctx.recorder.CreateFolderPath(installDir);
  for (const std::string& text : ctx.package.FileFolderList()) CreateResolved(ctx, text);
  for (const TCompileFileData& item : ctx.files)
    if (item.Kind == kind::Folder) CreateResolved(ctx, item.TargetDir + "\\" + item.Name);
}

void WriteUninstallInfo(InstallContext& ctx) {
  ctx.Status(engine_text::kWritingUninstall);
  for (const TCompileFileData& item : ctx.files)
    if (item.Kind == kind::Uninstaller) CopyUninstaller(ctx, item);
  if (ctx.uninstaller.empty()) return;
  MakeUninstallShortcut(ctx);
}

void InstallPackage(const TPackage& model, InstallChoices& choices, RunState& run,
                    const TCompileProEvent& progress, const std::string& setupPath,
                    FilesInUse* filesInUse) {
  Platform& platform = model.GetPlatform();
  std::unique_ptr<InputStream> package = platform.OpenRead(setupPath);
  // The product's run folder is this run's alone: a claim taken at start-up is kept in the run
  // state, otherwise the install claims it for itself.
  std::unique_ptr<FileHold> ownClaim;
  if (!run.ProductClaim) ownClaim = ClaimProductRun(platform, model.Serial);
  // A run of this product that was killed left its journal: it is taken back first.
  RecoverProductRuns(platform, model.Serial, [&] {
    if (progress) progress("", engine_text::kRollingBack, -1, -1);
  });
  const std::string runFolder = RunBackupFolder(platform, model.Serial);
  JournalWriter journal(platform, runFolder);
  TransactionPlatform tx(
      platform, runFolder, [&journal](const UndoStep& step) { journal(step); },
      [&journal] { journal.Close(); });
  UninstallRecorder recorder(tx);
  std::string previousUninstaller = MergePreviousLog(platform, recorder, model.Serial);
  std::vector<TUnInsData> insLog = ReadInsLog(platform, model.Serial);
  platform.ProcessMessages();
  recorder.SetProductName(model.ItemName);
  recorder.SetUninstallKey(model.Serial);

  InstallContext ctx{.package = model,
                     .choices = choices,
                     .run = run,
                     .progress = progress,
                     .platform = tx,
                     .tx = tx,
                     .setupFile = *package,
                     .recorder = recorder,
                     .osCode = GetOsVersionCode(platform),
                     .windowsDir = GetWindowsFolder(platform),
                     .files = CopyRecords(model.FileList()),
                     .links = CopyRecords(model.ShotCutList()),
                     .firstOwnRecord = recorder.Records().size(),
                     .insLog = std::move(insLog),
                     .previousUninstaller = std::move(previousUninstaller),
                     .filesInUse = filesInUse};
  try {
    RunSteps(ctx);
    tx.Commit();
  } catch (const InstallCancelled& e) {
    throw InstallCancelled(e.what() + UndoInstall(ctx));
  } catch (const DamagedPackage& e) {
    throw DamagedPackage(e.Offset(), e.what() + UndoInstall(ctx));
  } catch (const Error& e) {
    // A failed install takes back what it made, so no half-installed product stays behind.
    throw Error(e.what() + UndoInstall(ctx));
  } catch (...) {
    try {
      UndoInstall(ctx);
    } catch (...) {
      // The original failure is the one to report.
    }
    throw;
  }
  // Programs start only once every change has been made: a later failure cannot leave one
  // running from a product that was taken back.
  for (const std::string& path : ctx.launches) {
    ctx.Status(engine_text::kRunningProgram + path + engine_text::kPleaseWaitClose);
    LaunchProgram(platform, path);
  }
}

}  // namespace sk
