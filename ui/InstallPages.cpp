#include "ui/InstallPages.h"

#include <cstdint>

#include "engine/Install.h"
#include "package/SettingNames.h"
#include "package/SettingReaders.h"
#include "ui/Progress.h"
#include "ui/Ui.texts.h"

namespace sk {

const std::string ReadyPage::kIntro = ui_text::kReadyIntro;
const std::string FinishPage::kTitle = ui_text::kFinishTitle;
const std::string FinishPage::kDone = ui_text::kFinishDone;
const std::string FinishPage::kRunApp = ui_text::kFinishRunApp;

namespace {
const std::string kOpenQuote = ui_text::kOpenQuote;
const std::string kCloseQuote = ui_text::kCloseQuote;
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
  text += "  " + kOpenQuote + model.Package().ItemName + kCloseQuote + ui_text::kReadyInstallTo +
          kOpenQuote + o.InstallDir + kCloseQuote + ui_text::kReadyInFolder + end;
  if (o.CreateDesktop == 1) {
    text += ui_text::kReadyDesktop + end;
  }
  if (o.CreateQuickLaunch == 1) {
    text += ui_text::kReadyQuickLaunch + end;
  }
  if (o.CreateStartMenu == 1) {
    text += ui_text::kReadyStartMenu + kOpenQuote + o.StartMenuFolder + kCloseQuote +
            ui_text::kReadyStartMenuEnd + end;
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
  FilesInUse inUse{.ask = OnFileInUse};
  InstallPackage(model, progress, p.ExecutablePath(), OnFileInUse ? &inUse : nullptr);
}

// ---- finish page ----

FinishPage::FinishPage() {
  Boxes[0].caption = kRunApp;
  Boxes[1].caption = "Readme";
  Boxes[2].caption = ui_text::kFinishHomePage;
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
