// Shortcuts in the start menu, on the desktop and in the quick-launch bar, as the options
// record enables them; links in the quick-launch folder are pinned to the taskbar on OS 6+.
//
// Folder notation: "开始菜单" (programs folder + StartMenuFolder), "桌面" (desktop) or
// "快速启动栏" (application data + \Microsoft\Internet Explorer\Quick Launch) as the first
// element, then sub-folders. A folder text with another first element names no folder and its
// shortcut is skipped. Every shortcut file that exists after saving is recorded for uninstall.
// A shortcut name already taken gets "(1)", "(2)"... appended, unless the product's earlier
// records name that file: a reinstall replaces its own shortcuts instead of adding copies.
// Errors: only a failure reported by the shell while pinning ends the install (sk::Error).
#pragma once

#include <optional>
#include <string>

#include "engine/Context.h"

namespace sk {

void CreateShortcuts(InstallContext& ctx);

std::optional<std::string> ResolveShortcutFolder(Platform& platform, const TInstallData& options,
                                                 const std::string& text);
// Makes `name` + ext unique in `folder` (MakeUniqueName), unless the product's earlier records
// name that file, which is then replaced.
void ChooseLinkName(const InstallContext& ctx, const std::string& folder, std::string& name,
                    const std::string& ext);
void PinToTaskbar(Platform& platform, const std::string& linkPath);
// The OS version code read as a decimal number ("." as the point whatever the locale); 0 when
// it is not a number.
double OsCodeNumber(const std::string& code);

}  // namespace sk
