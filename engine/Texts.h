// The texts that the install engine sends as progress messages or matches in package
// notation. The GBK ones are byte strings, exactly as the setup shows or reads them, written in
// readable form in engine/Engine.texts; the ASCII ones are below.
#pragma once

#include <string>

#include "engine/Engine.texts.h"

namespace sk::engine_text {

// Registry value macro of the Windows folder; the install folder's is kMacroInstallDir.
inline constexpr char kMacroWindows[] = "[Windows]";

inline constexpr char kQuickLaunchSubPath[] = "\\Microsoft\\Internet Explorer\\Quick Launch";

// Registry keys written by the engine.
inline constexpr char kUninstallKeyBase[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr char kRunKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace sk::engine_text
