// The GBK texts that the install engine sends as progress messages or matches in package
// notation. Byte strings, exactly as the setup shows or reads them; the comment beside each
// gives the text in readable form.
#pragma once

#include <string>

namespace sk::engine_text {

// "正在创建安装文件夹，请稍候..."
inline constexpr char kCreatingFolders[] =
    "\xD5\xFD\xD4\xDA\xB4\xB4\xBD\xA8\xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE\xBC\xD0\xA3\xAC\xC7\xEB\xC9"
    "\xD4\xBA\xF2"
    "...";
// "正在安装文件"
inline constexpr char kInstallingFile[] = "\xD5\xFD\xD4\xDA\xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE";
// "正在注册组件“"
inline constexpr char kRegisteringComponent[] =
    "\xD5\xFD\xD4\xDA\xD7\xA2\xB2\xE1\xD7\xE9\xBC\xFE\xA1\xB0";
// "正在注册服务“"
inline constexpr char kRegisteringService[] =
    "\xD5\xFD\xD4\xDA\xD7\xA2\xB2\xE1\xB7\xFE\xCE\xF1\xA1\xB0";
// "正在安装自动运行程序“"
inline constexpr char kInstallingAutoRun[] =
    "\xD5\xFD\xD4\xDA\xB0\xB2\xD7\xB0\xD7\xD4\xB6\xAF\xD4\xCB\xD0\xD0\xB3\xCC\xD0\xF2\xA1\xB0";
// "正在自动运行程序“"
inline constexpr char kRunningProgram[] =
    "\xD5\xFD\xD4\xDA\xD7\xD4\xB6\xAF\xD4\xCB\xD0\xD0\xB3\xCC\xD0\xF2\xA1\xB0";
// "”，请稍候" (closes the four registration texts above)
// "正在撤销上次中断的安装，请稍候"
inline constexpr char kRollingBack[] =
    "\xD5\xFD\xD4\xDA\xB3\xB7\xCF\xFA\xC9\xCF\xB4\xCE\xD6\xD0\xB6\xCF\xB5\xC4\xB0\xB2\xD7\xB0\xA3"
    "\xAC\xC7\xEB\xC9\xD4\xBA\xF2";
inline constexpr char kPleaseWaitClose[] = "\xA1\xB1\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF2";
// "正在写入注册表信息，请稍候"
inline constexpr char kWritingRegistry[] =
    "\xD5\xFD\xD4\xDA\xD0\xB4\xC8\xEB\xD7\xA2\xB2\xE1\xB1\xED\xD0\xC5\xCF\xA2\xA3\xAC\xC7\xEB\xC9"
    "\xD4\xBA\xF2";
// "正在创建快捷方式，请稍候..."
inline constexpr char kCreatingShortcuts[] =
    "\xD5\xFD\xD4\xDA\xB4\xB4\xBD\xA8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD\xA3\xAC\xC7\xEB\xC9\xD4\xBA"
    "\xF2"
    "...";
// "正在写入反安装信息，请稍候..."
inline constexpr char kWritingUninstall[] =
    "\xD5\xFD\xD4\xDA\xD0\xB4\xC8\xEB\xB7\xB4\xB0\xB2\xD7\xB0\xD0\xC5\xCF\xA2\xA3\xAC\xC7\xEB\xC9"
    "\xD4\xBA\xF2"
    "...";

// Target-folder prefixes: "目标计算机\Program Files\", "目标计算机\Windows\", "指定目录\".
inline constexpr char kPrefixProgramFiles[] =
    "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA"
    "\\Program Files\\";
inline constexpr char kPrefixWindows[] =
    "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA"
    "\\Windows\\";
inline constexpr char kPrefixSpecified[] = "\xD6\xB8\xB6\xA8\xC4\xBF\xC2\xBC\\";

// Registry value macros: "[Windows]" and "[安装目录]" (install folder).
inline constexpr char kMacroWindows[] = "[Windows]";
inline constexpr char kMacroInstallDir[] = "[\xB0\xB2\xD7\xB0\xC4\xBF\xC2\xBC]";

// Shortcut folder roots: "开始菜单" (start menu), "桌面" (desktop), "快速启动栏" (quick launch).
inline constexpr char kRootStartMenu[] = "\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5";
inline constexpr char kRootDesktop[] = "\xD7\xC0\xC3\xE6";
inline constexpr char kRootQuickLaunch[] = "\xBF\xEC\xCB\xD9\xC6\xF4\xB6\xAF\xC0\xB8";
inline constexpr char kQuickLaunchSubPath[] = "\\Microsoft\\Internet Explorer\\Quick Launch";
// The taskbar pin verb's display text: "锁定到任务栏".
inline constexpr char kPinVerb[] = "\xCB\xF8\xB6\xA8\xB5\xBD\xC8\xCE\xCE\xF1\xC0\xB8";

// Name of the uninstall shortcut: "卸载“" + project name + "”".
inline constexpr char kUninstallLinkOpen[] = "\xD0\xB6\xD4\xD8\xA1\xB0";
inline constexpr char kUninstallLinkClose[] = "\xA1\xB1";

// Registry keys written by the engine.
inline constexpr char kUninstallKeyBase[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr char kRunKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace sk::engine_text
