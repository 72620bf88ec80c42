// Completion actions after an install and the texts of the questions around them. Every
// action goes through the sk::Platform it is handed; none reports a failure (a program, URL or
// registry key that cannot be opened is passed over). The message boxes themselves (ShowInfo,
// AskYesNo) are window operations and live in ui/win32/Dialogs.h.
#pragma once

#include <functional>
#include <string>

#include "package/Compile.h"
#include "platform/Platform.h"

namespace sk {

// Shell-executes `path` with the verb "Open", no parameters, the path's own folder (with its
// trailing backslash) as working folder, shown normally.
void RunFile(Platform& p, const std::string& path);
// Shell-executes `url` with the verb "open", no parameters or folder, shown maximised.
void OpenWebPage(Platform& p, const std::string& url);
// Writes HKCU "SoftWare\MicroSoft\Internet Explorer\Main" "Start Page" = url (key created
// when missing); skipped silently when the key cannot be opened.
void SetStartPage(Platform& p, const std::string& url);
void EnableShutdownPrivilege(Platform& p);
// Enables the shutdown privilege on NT-family systems, then requests a reboot; the result is
// ignored and the caller goes on closing normally.
void RebootSystem(Platform& p);

// The reduced actions of the no-options window: run AppFile and open ReadmeFile when checked.
void RunActionsWithoutWizard(TCompile& model);
// The wizard's Finish actions, in this order: run AppFile, open ReadmeFile, set HomePageUrl as
// start page (each when checked), show HintMsg through showInfo, open WebHint, set DefaultHtml
// as start page (each when not empty; the last overrides the home-page box).
void RunFinishActions(TCompile& model, const std::function<void(const std::string&)>& showInfo);

// True when the package asks the reboot question ("安装完成后，重启操作系统" exactly "启用").
bool RebootWanted(const TCompile& model);
// After a completed install: when the package wants it, asks the reboot question through
// `askYesNo` and reboots on Yes. Both the wizard and the no-options window end this way.
void OfferReboot(TCompile& model, const std::function<bool(const std::string&)>& askYesNo);

// "“X”安装向导需要重启操作系统，方可完成安装。要自动重启吗？"
std::string RebootQuestion(const std::string& itemName);
// "安装向导没有完成“X”安装，确定要退出该安装向导吗？"
std::string QuitQuestion(const std::string& itemName);
// "正在安装“X”，请稍候..." — caption of the no-options window.
std::string InstallingCaption(const std::string& itemName);

}  // namespace sk
