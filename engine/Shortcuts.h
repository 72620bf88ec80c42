// Shortcuts in the start menu, on the desktop and in the quick-launch bar, as the options
// record enables them; links in the quick-launch folder are pinned to the taskbar on OS 6+.
//
// Folder notation: "开始菜单" (programs folder + StartMenuFolder), "桌面" (desktop) or
// "快速启动栏" (application data + \Microsoft\Internet Explorer\Quick Launch) as the first
// element, then sub-folders. A folder text with another first element names no folder and its
// shortcut is skipped. Every shortcut file that exists after saving is recorded for uninstall.
// Errors: only a failure reported by the shell while pinning ends the install (sk::Error).
#pragma once

#include <optional>
#include <string>

#include "engine/Context.h"

namespace sk {

void CreateShortcuts(InstallContext& ctx);

std::optional<std::string> ResolveShortcutFolder(Platform& platform, const TInstallData& options,
                                                 const std::string& text);
void PinToTaskbar(Platform& platform, const std::string& linkPath);
// The OS version code read as a decimal number ("." as the point whatever the locale); 0 when
// it is not a number.
double OsCodeNumber(const std::string& code);

}  // namespace sk
