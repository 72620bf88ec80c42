// Shortcuts (see Shortcuts.h).
#include "engine/Shortcuts.h"

#include "engine/ShellLinks.h"
#include "engine/TargetPaths.h"
#include "engine/Texts.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

// False when the options switch off the place that `text` begins with.
bool PlaceEnabled(const TInstallData& o, const std::string& text) {
  using namespace engine_text;
  if (StartsWithText(text, kRootDesktop) && !o.CreateDesktop) return false;
  if (StartsWithText(text, kRootQuickLaunch) && !o.CreateQuickLaunch) return false;
  if (StartsWithText(text, kRootStartMenu) && !o.CreateStartMenu) return false;
  return true;
}

void CreateOne(InstallContext& ctx, TShotCutData& link) {
  Platform& p = ctx.platform;
  if (!PlaceEnabled(ctx.choices.Options, link.Folder)) return;
  const std::optional<std::string> folder =
      ResolveShortcutFolder(p, ctx.choices.Options, link.Folder);
  if (!folder) return;
  std::string file;
  switch (link.Kind) {
    case 1:
      ChooseLinkName(ctx, *folder, link.Name, ".url");
      CreateUrlShortcut(p, link.Name, link.Target, *folder, link.IconFile);
      file = *folder + "\\" + link.Name + ".url";
      break;
    case 0:
    case 2: {
      ChooseLinkName(ctx, *folder, link.Name, ".lnk");
      const bool toFolder = link.Kind == 2;
      CreateShellLink(p, *folder, link.Name + ".lnk",
                      toFolder ? ExtractFilePath(link.Target) : link.Target, link.Arguments,
                      link.Description, toFolder ? "" : link.IconFile);
      file = *folder + "\\" + link.Name + ".lnk";
      break;
    }
    default:
      return;
  }
  if (!p.FileExists(file)) return;  // not saved (e.g. its folder is missing): nothing to record
  ctx.recorder.AddFile(file, 1);
  if (link.Kind != 1 && OsCodeNumber(ctx.osCode) >= 6.0 &&
      ContainsText(*folder, engine_text::kQuickLaunchSubPath))
    PinToTaskbar(p, file);
}

}  // namespace

double OsCodeNumber(const std::string& code) {
  double value = 0, scale = 0;
  for (char c : code) {
    if (c == '.' && scale == 0) {
      scale = 1;
    } else if (c >= '0' && c <= '9') {
      if (scale == 0) {
        value = value * 10 + (c - '0');
      } else {
        scale /= 10;
        value += (c - '0') * scale;
      }
    } else {
      return 0;
    }
  }
  return value;
}

std::optional<std::string> ResolveShortcutFolder(Platform& platform, const TInstallData& options,
                                                 const std::string& text) {
  using namespace engine_text;
  const std::vector<std::string> parts = SplitText(text, "\\");
  if (parts.empty()) return std::nullopt;
  std::string base;
  if (SameTextAscii(parts[0], kRootStartMenu)) {
    base = GetSpecialFolder(platform, csidl::Programs);
    // An empty folder name puts the shortcuts directly into the programs
    // folder.
    if (!base.empty() && !options.StartMenuFolder.empty()) base += "\\" + options.StartMenuFolder;
  } else if (SameTextAscii(parts[0], kRootDesktop)) {
    base = GetSpecialFolder(platform, csidl::Desktop);
  } else if (SameTextAscii(parts[0], kRootQuickLaunch)) {
    base = GetSpecialFolder(platform, csidl::AppData);
    if (!base.empty()) base += kQuickLaunchSubPath;
  }
  if (base.empty()) return std::nullopt;  // unknown root, or the system has no such folder
  for (size_t i = 1; i < parts.size(); ++i) base += "\\" + parts[i];
  return base;
}

void ChooseLinkName(const InstallContext& ctx, const std::string& folder, std::string& name,
                    const std::string& ext) {
  const std::string file = folder + "\\" + name + ext;
  if (ctx.platform.FileExists(file) && ctx.RecordedBefore(file)) return;
  MakeUniqueName(ctx.platform, folder, name, ext);
}

void PinToTaskbar(Platform& platform, const std::string& linkPath) {
  platform.InvokeShellVerbs(linkPath, engine_text::kPinVerb);
}

void CreateShortcuts(InstallContext& ctx) {
  const TPackage& package = ctx.package;
  Platform& p = ctx.platform;
  const TInstallData& o = ctx.choices.Options;
  if (!package.ShotCutFolderList().empty() || !ctx.links.empty())
    ctx.Status(engine_text::kCreatingShortcuts);

  if (o.CreateStartMenu && !o.StartMenuFolder.empty()) {
    auto folder = ResolveShortcutFolder(p, o, std::string(engine_text::kRootStartMenu) + "\\");
    if (folder && !p.DirectoryExists(*folder)) ctx.recorder.CreateFolderPath(*folder);
  }
  for (const std::string& text : package.ShotCutFolderList()) {
    if (!PlaceEnabled(o, text)) continue;
    auto folder = ResolveShortcutFolder(p, o, text);
    if (folder && !p.DirectoryExists(*folder)) ctx.recorder.CreateFolderPath(*folder);
  }
  for (TShotCutData& link : ctx.links) CreateOne(ctx, link);
}

}  // namespace sk
