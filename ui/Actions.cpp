#include "ui/Actions.h"

#include "platform/SystemHelpers.h"

namespace sk {

void RunFile(Platform& p, const std::string& path) {
  p.ShellExecute("Open", path, "", ExtractFilePath(path), show::Normal);
}

void OpenWebPage(Platform& p, const std::string& url) {
  p.ShellExecute("open", url, "", "", show::Maximized);
}

void SetStartPage(Platform& p, const std::string& url) {
  auto key = p.OpenKey(RegRoot::CurrentUser, "SoftWare\\MicroSoft\\Internet Explorer\\Main", true);
  if (key) key->WriteString("Start Page", url);
}

void EnableShutdownPrivilege(Platform& p) {
  p.EnableShutdownPrivilege();
}

void RebootSystem(Platform& p) {
  const std::string code = GetOsVersionCode(p);
  // "0", "1" and "2" name the non-NT platforms; the NT family reports "major.minor".
  if (code.find('.') != std::string::npos) EnableShutdownPrivilege(p);
  p.RequestReboot();
}

void RunActionsWithoutWizard(TCompile& model) {
  Platform& p = model.GetPlatform();
  if (model.Choices().Options.RunAppChecked == 1) RunFile(p, model.Choices().Options.AppFile);
  if (model.Choices().Options.ReadmeChecked == 1) RunFile(p, model.Choices().Options.ReadmeFile);
}

void RunFinishActions(TCompile& model, const std::function<void(const std::string&)>& showInfo) {
  Platform& p = model.GetPlatform();
  const TInstallData& o = model.Choices().Options;
  RunActionsWithoutWizard(model);
  if (o.HomePageChecked == 1) SetStartPage(p, o.HomePageUrl);
  if (!o.HintMsg.empty() && showInfo) showInfo(o.HintMsg);
  if (!o.WebHint.empty()) OpenWebPage(p, o.WebHint);
  if (!o.DefaultHtml.empty()) SetStartPage(p, o.DefaultHtml);
}

bool RebootWanted(const TCompile& model) {
  return model.Choices().Options.RebootOs == text::kEnabled;
}

void OfferReboot(TCompile& model, const std::function<bool(const std::string&)>& askYesNo) {
  if (RebootWanted(model) && askYesNo(RebootQuestion(model.Package().ItemName)))
    RebootSystem(model.GetPlatform());
}

std::string RebootQuestion(const std::string& itemName) {
  // "“" + name + "”安装向导需要重启操作系统，" + "方可完成安装。要自动重启吗？"
  return "\xA1\xB0" + itemName +
         "\xA1\xB1\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC\xD0\xE8\xD2\xAA\xD6\xD8\xC6\xF4\xB2\xD9\xD7\xF7"
         "\xCF\xB5\xCD\xB3\xA3\xAC"
         "\xB7\xBD\xBF\xC9\xCD\xEA\xB3\xC9\xB0\xB2\xD7\xB0\xA1\xA3\xD2\xAA\xD7\xD4\xB6\xAF\xD6\xD8"
         "\xC6\xF4\xC2\xF0\xA3\xBF";
}

std::string QuitQuestion(const std::string& itemName) {
  // "安装向导没有完成“" + name + "”安装，确定要退出该安装向导吗？"
  return "\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC\xC3\xBB\xD3\xD0\xCD\xEA\xB3\xC9\xA1\xB0" + itemName +
         "\xA1\xB1\xB0\xB2\xD7\xB0\xA3\xAC\xC8\xB7\xB6\xA8\xD2\xAA\xCD\xCB\xB3\xF6\xB8\xC3\xB0\xB2"
         "\xD7\xB0\xCF\xF2\xB5\xBC\xC2\xF0\xA3\xBF";
}

std::string InstallingCaption(const std::string& itemName) {
  // "正在安装“" + name + "”，请稍候..."
  return "\xD5\xFD\xD4\xDA\xB0\xB2\xD7\xB0\xA1\xB0" + itemName +
         "\xA1\xB1\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF2...";
}

}  // namespace sk
