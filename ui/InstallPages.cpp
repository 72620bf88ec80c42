#include "ui/InstallPages.h"

#include <cstdint>

#include "engine/Install.h"
#include "package/SettingNames.h"
#include "package/SettingReaders.h"
#include "ui/Progress.h"

namespace sk {

const std::string ReadyPage::kIntro =
    "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xCF\xD6\xD4\xDA\xBF\xAA\xCA\xBC\xD7\xBC\xB1\xB8\xB0\xB2"
    "\xD7\xB0\xA1\xB0%s\xA1\xB1\xB5\xBD\xC4\xFA\xB5\xC4\xB5\xE7\xC4\xD4\xD6\xD0";
// 安装程序现在开始准备安装“%s”到您的电脑中
const std::string FinishPage::kTitle =
    "\xA1\xB0%s\xA1\xB1\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC\xD2\xD1\xCD\xEA\xB3\xC9\xB0\xB2\xD7\xB0";
// “%s”安装向导已完成安装
const std::string FinishPage::kDone =
    "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xD2\xD1\xD4\xDA\xC4\xFA\xB5\xE7\xC4\xD4\xD6\xD0\xB3\xC9"
    "\xB9\xA6\xB0\xB2\xD7\xB0\xC1\xCB\xA1\xB0%s\xA1\xB1\xA3\xAC\xB4\xCB\xD3\xA6\xD3\xC3\xB3\xCC"
    "\xD0\xF2\xBF\xC9\xCD\xA8\xB9\xFD\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD\xC6\xF4\xB6\xAF\xD4\xCB"
    "\xD0\xD0\xA1\xA3";
// 安装程序已在您电脑中成功安装了“%s”，此应用程序可通过快捷方式启动运行。
const std::string FinishPage::kRunApp = "\xD4\xCB\xD0\xD0\xA1\xB0%s\xA1\xB1";  // 运行“%s”

namespace {
const std::string kOpenQuote = "\xA1\xB0";   // “
const std::string kCloseQuote = "\xA1\xB1";  // ”
}  // namespace

// ---- ready page ----

bool ReadyPage::Load(TCompile* model) {
  if (!compile_.Assign(model)) return false;
  if (auto picture = ReadText(model->Package(), setting::kReadyHeader)) TitlePicture = *picture;
  Intro = FormatWithName(kIntro, model->Package().ItemName);
  return true;
}

void ReadyPage::SetCompile(TCompile* model) {
  Load(model);
  if (compile_) Summary = BuildSummary(*compile_.get());
}

std::string BuildSummary(const TCompile& model) {
  const TInstallData& o = model.Choices().Options;
  const std::string end = "\r\n\r\n";  // each entry ends in CR LF, then the memo's own line end
  std::string text = "\r\n";
  // "  “" + name + "”安装到“" + dir + "”文件夹下"
  text += "  " + kOpenQuote + model.Package().ItemName + kCloseQuote + "\xB0\xB2\xD7\xB0\xB5\xBD" +
          kOpenQuote + o.InstallDir + kCloseQuote + "\xCE\xC4\xBC\xFE\xBC\xD0\xCF\xC2" + end;
  if (o.CreateDesktop == 1) {
    text += "  \xB4\xB4\xBD\xA8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD\xB5\xBD\xD7\xC0\xC3\xE6" + end;
    // "  创建快捷方式到桌面"
  }
  if (o.CreateQuickLaunch == 1) {
    text +=
        "  \xB4\xB4\xBD\xA8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD\xB5\xBD\xBF\xEC\xCB\xD9\xC6\xF4"
        "\xC0\xB8\xD6\xD0" +
        end;  // "  创建快捷方式到快速启栏中"
  }
  if (o.CreateStartMenu == 1) {
    // "  创建快捷方式到开始菜单的“" + folder + "”文件夹中"
    text +=
        "  \xB4\xB4\xBD\xA8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD\xB5\xBD\xBF\xAA\xCA\xBC\xB2\xCB"
        "\xB5\xA5\xB5\xC4" +
        kOpenQuote + o.StartMenuFolder + kCloseQuote + "\xCE\xC4\xBC\xFE\xBC\xD0\xD6\xD0" + end;
  }
  return text;
}

// ---- progress page ----

std::string PercentText(int64_t position, int64_t max) {
  if (position == max) return "100%";
  if (max <= 0) return "0%";
  // |position| * 100 / max rounded half away from zero, without overflow (no 128-bit type on
  // the 32-bit build): the whole multiples first, then the rest.
  const bool negative = position < 0;
  const uint64_t p =
      negative ? 0 - static_cast<uint64_t>(position) : static_cast<uint64_t>(position);
  const uint64_t m = static_cast<uint64_t>(max);
  const uint64_t whole = p / m, rest = p % m;
  uint64_t part;
  if (rest <= (UINT64_MAX - m) / 200) {
    part = (rest * 200 + m) / (2 * m);
  } else {
    part = static_cast<uint64_t>(static_cast<long double>(rest) * 100 / m + 0.5L);
  }
  std::string digits;
  if (whole <= (UINT64_MAX - 100) / 100) {
    digits = std::to_string(whole * 100 + part);
  } else if (part == 100) {
    digits = std::to_string(whole + 1) + "00";
  } else {
    digits = std::to_string(whole) + (part < 10 ? "0" : "") + std::to_string(part);
  }
  return (negative ? "-" : "") + digits + "%";
}

bool ProgressPage::Load(TCompile* model) {
  if (!compile_.Assign(model)) return false;
  const TPackage& package = model->Package();
  if (auto picture = ReadText(package, setting::kProgressHeader)) TitlePicture = *picture;
  if (auto details = ReadSwitch(package, setting::kShowDetails)) DetailsVisible = *details;
  return true;
}

ProgressUpdate ProgressPage::InstallProgress(const std::string& fileName,
                                             const std::string& hintMsg, int64_t position,
                                             int64_t max) const {
  ProgressUpdate u;
  if (position < 0) {
    u.statusOnly = true;
    u.detailsLine = hintMsg;
    return u;
  }
  u.fileName = fileName;
  const BarRange bar = ScaleForBar(position, max);
  u.barMax = bar.max;
  u.barPosition = bar.position;
  u.percent = PercentText(position, max);
  if (DetailsVisible) u.detailsLine = hintMsg + kOpenQuote + fileName + kCloseQuote;
  return u;
}

void ProgressPage::StartInstall() {
  if (!compile_) return;
  TCompile& model = *compile_.get();
  Platform& p = model.GetPlatform();
  // The handler lives for this call only: the page may be destroyed after it.
  const TCompileProEvent progress = [this](const std::string& f, const std::string& h, int64_t pos,
                                           int64_t m) {
    if (Forward) Forward(f, h, pos, m);
    const ProgressUpdate u = InstallProgress(f, h, pos, m);
    if (OnProgress) OnProgress(u);
  };
  p.ProcessMessages();
  InstallPackage(model, progress, p.ExecutablePath());
}

// ---- finish page ----

FinishPage::FinishPage() {
  Boxes[0].caption = kRunApp;
  Boxes[1].caption = "Readme";
  Boxes[2].caption = "\xC9\xE8\xD6\xC3\xCE\xD2\xB5\xC4\xD6\xF7\xD2\xB3";  // 设置我的主页
}

bool FinishPage::Load(TCompile* model) {
  if (!compile_.Assign(model)) return false;
  const TPackage& package = model->Package();
  if (auto picture = ReadText(package, setting::kFinishPicture)) BackgroundPicture = *picture;
  // A box is offered, checked, for each of the three that names something.
  const SettingName* boxes[] = {&setting::kAppFile, &setting::kReadmeFile, &setting::kHomePageUrl};
  for (int i = 0; i < 3; ++i) {
    if (!ReadText(package, *boxes[i])) continue;
    CheckBox& box = Boxes[i];
    box.visible = true;
    if (i == 0) box.caption = FormatWithName(kRunApp, package.ItemName);
    if (!box.checked) CheckBoxClick(i, true);
  }
  Title = FormatWithName(kTitle, model->Package().ItemName);
  Done = FormatWithName(kDone, model->Package().ItemName);
  return true;
}

void FinishPage::CheckBoxClick(int index, bool checked) {
  if (index < 0 || index > 2) return;
  Boxes[index].checked = checked;
  if (!compile_) return;
  TInstallData& o = compile_->Choices().Options;
  uint8_t& flag = index == 0 ? o.RunAppChecked : index == 1 ? o.ReadmeChecked : o.HomePageChecked;
  flag = checked ? 1 : 0;
}

}  // namespace sk
