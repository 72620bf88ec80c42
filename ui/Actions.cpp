#include "ui/Actions.h"

#include "platform/SystemHelpers.h"
#include "ui/Ui.texts.h"

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
  return ui_text::kOpenQuote + itemName + ui_text::kRebootAskClose;
}

std::string QuitQuestion(const std::string& itemName) {
  return ui_text::kQuitAskOpen + itemName + ui_text::kQuitAskClose;
}

std::string InstallingCaption(const std::string& itemName) {
  return ui_text::kInstallingOpen + itemName + ui_text::kInstallingClose;
}

}  // namespace sk
