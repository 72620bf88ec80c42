// What the ready, progress and finish pages do, without windows (portable): TfrmReadyIns,
// TfrmBeginIns and TfrmEndIns.
//
// Each page is a WizardPage. Load(model) runs the page's initialisation on the first
// assignment only and returns true then. The ready page rebuilds its summary on every
// assignment. The progress page's StartInstall hooks the model's progress event, runs the
// install pipeline on the setup executable and reports every event as a ProgressUpdate to
// OnProgress (the view shows it) and a file held by another program to OnFileInUse (the view
// asks the user); errors of the pipeline propagate. The finish page's check
// boxes write the run / readme / home-page flags of the options record.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/FilesInUse.h"
#include "ui/PageSettings.h"
#include "ui/Wizard.h"

namespace sk {

class ReadyPage : public WizardPage {
 public:
  static const std::string kIntro;  // "安装程序现在开始准备安装“%s”到您的电脑中"

  bool Load(TCompile* model);
  void SetCompile(TCompile* model) override;

  std::string TitlePicture;
  std::string Intro = kIntro;
  std::string Summary;  // the memo's text

 private:
  PageModel compile_;
};

// The ready page's memo text for the model's current choices: an empty line, then each entry
// followed by a blank line (CR LF line ends).
std::string BuildSummary(const TCompile& model);

// One progress event as the progress page shows it.
struct ProgressUpdate {
  bool statusOnly = false;  // Position < 0: only a details line
  std::string fileName;     // Label30
  std::string percent;      // Label31
  int32_t barMax = 0;       // ProgressBar1
  int32_t barPosition = 0;
  std::optional<std::string> detailsLine;  // a line for mInstall
};

// "100%" when position equals max; otherwise position / max * 100 rounded half away from zero,
// then "%"; "0%" when max is not positive.
std::string PercentText(int64_t position, int64_t max);

class ProgressPage : public WizardPage {
 public:
  bool Load(TCompile* model);
  void SetCompile(TCompile* model) override { Load(model); }
  // Runs InstallPackage on the executable's own path with this page as progress handler.
  void StartInstall() override;
  ProgressUpdate InstallProgress(const std::string& fileName, const std::string& hintMsg,
                                 int64_t position, int64_t max) const;

  std::string TitlePicture;
  bool DetailsVisible = false;  // "安装详细信息" is exactly "启用"
  std::function<void(const ProgressUpdate&)> OnProgress;
  TCompileProEvent Forward;  // also receives every event as the pipeline sent it
  // Asked when a target file is held by another program (engine/FilesInUse.h); unset, the
  // held file's error ends the install as any other.
  std::function<InUseAnswer(const std::string& target)> OnFileInUse;

 private:
  PageModel compile_;
};

class FinishPage : public WizardPage {
 public:
  static const std::string kTitle;  // "“%s”安装向导已完成安装"
  static const std::string kDone;   // "安装程序已在您电脑中成功安装了“%s”，..."
  static const std::string kRunApp;  // "运行“%s”"

  struct CheckBox {
    bool visible = false;
    bool checked = false;
    std::string caption;
  };

  FinishPage();
  bool Load(TCompile* model);
  void SetCompile(TCompile* model) override { Load(model); }
  // A check box changed (index 0..2: run, readme, home page); copies it into the options.
  void CheckBoxClick(int index, bool checked);

  std::string BackgroundPicture;
  std::string Title = kTitle;
  std::string Done = kDone;
  CheckBox Boxes[3];

 private:
  PageModel compile_;
};

}  // namespace sk
