// The manifest's ways of naming targets turned into the package's notation, which the engine
// reads back (engine/TargetPaths, engine/Registry, engine/Shortcuts):
//
//   target folders   "{app}/rel"      -> "目标计算机\Program Files\rel"
//                    "{windows}/rel"  -> "目标计算机\Windows\rel"
//                    "D:/rel"         -> "指定目录\D:\rel"
//                    a text already in package notation is kept as it is
//   registry keys    "HKLM\path" (short or long root names, any case, optionally after
//                    "目标计算机\") -> "目标计算机\HKEY_LOCAL_MACHINE\path"
//   shortcut folders place start_menu / desktop / quick_launch plus a sub-folder
//                    -> "开始菜单\sub", "桌面\sub", "快速启动栏\sub"
//
// Inputs and outputs are UTF-8 ("/" and "\" both separate); the caller converts to GBK. A text
// that names no target (an unknown root or place, an empty, "." or ".." folder name) throws
// std::invalid_argument with a UTF-8 message that quotes it.
#pragma once

#include <string>

namespace sk::cli {

// `forFolderItem`: the result is a folder item's TargetDir, so an "{app}" or "{windows}" target
// with nothing below it carries no trailing backslash.
std::string TargetNotation(const std::string& target, bool forFolderItem);
std::string KeyNotation(const std::string& key);
// True for the places a shortcut folder can start at: start_menu, desktop, quick_launch.
bool IsShortcutPlace(const std::string& place);
std::string ShortcutFolderNotation(const std::string& place, const std::string& folder);

}  // namespace sk::cli
