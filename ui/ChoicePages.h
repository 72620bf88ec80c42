// What the four choice pages of the wizard do, without their windows: the start-menu folder,
// the component packages, the install folder (with the search) and the additional tasks.
//
// Each page logic borrows the TCompile it is given (it must outlive the page) and reads its
// setting group on the first Load (SetCompile) only; later calls change nothing, so a revisited
// page keeps the user's edits. Every choice is written into the model at the moment it is made
// (Set* below) and once while the page fills itself, so the model always holds the state the
// page shows. The Win32 views forward user actions to the Set* calls and show the state;
// `setupkit simulate` makes its choices through the same calls. Texts are GBK.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "package/Compile.h"
#include "package/SettingNames.h"
#include "ui/FolderSearch.h"
#include "ui/Startup.h"
#include "ui/Ui.texts.h"
#include "ui/Wizard.h"

namespace sk {

// Group-6 page: the start-menu folder name and whether start-menu shortcuts are made.
class StartFolderPage : public WizardPage {
 public:
  // True on the first call with a model (the page has just filled itself).
  bool Load(TCompile* model);
  void SetCompile(TCompile* model) override { Load(model); }
  TCompile* Compile() const { return model_; }

  void SetFolder(const std::string& name);  // Options.StartMenuFolder
  void SetCreateStartMenu(bool on);         // Options.CreateStartMenu

  const std::string& Folder() const { return folder_; }
  bool CreateStartMenu() const { return createStartMenu_; }
  bool Editable() const { return editable_; }        // edit writable, Browse enabled
  bool OptionShown() const { return optionShown_; }  // the check box is offered
  const std::string& TitlePicture() const { return titlePicture_; }
  // The folder the picker of Browse shows: the all-users start-menu programs folder.
  std::string PickerRoot() const;

 private:
  TCompile* model_ = nullptr;
  std::string folder_, titlePicture_;
  bool createStartMenu_ = false, editable_ = true, optionShown_ = false;
};

// Group-7 page: the check list of "主程序" and the component packages, and the space needed.
class SelComponentPage : public WizardPage {
 public:
  struct Row {
    std::string text;
    bool checked = true;
    const TCompileCompData* component = nullptr;  // null for the main-program row
  };

  bool Load(TCompile* model);
  void SetCompile(TCompile* model) override { Load(model); }
  TCompile* Compile() const { return model_; }

  // A row's check state changed (however it changed). Row 0 cannot be cleared: it is checked
  // again at once. Rewrites ComponentList, Options.TotalSize and the space text.
  void SetChecked(size_t row, bool checked);
  // Checks exactly the component rows whose text is in `names` (ASCII-only case folding).
  void CheckOnly(const std::vector<std::string>& names);

  // The package's Size plus the Size of every checked component, stored in Options.TotalSize.
  int64_t CalcNeededSize();

  const std::vector<Row>& Rows() const { return rows_; }
  const std::string& SpaceText() const { return spaceText_; }
  const std::string& TitlePicture() const { return titlePicture_; }

 private:
  void Changed();

  TCompile* model_ = nullptr;
  std::vector<Row> rows_;
  std::string spaceText_, titlePicture_;
};

// Group-8 page: the install folder, needed and free space, and the search.
class SelectInstallDirPage : public WizardPage {
 public:
  explicit SelectInstallDirPage(const SetupContext& context) : context_(context) {}

  bool Load(TCompile* model);
  void SetCompile(TCompile* model) override { Load(model); }
  TCompile* Compile() const { return model_; }

  // The folder edit changed: the free-space text follows the folder's drive and
  // Options.InstallDir gets the folder without one trailing "\".
  void SetFolder(const std::string& folder);

  // Searches the fixed drives for the first folder holding a file named in the search
  // keywords. Found: SetFolder(result) and true. Otherwise the folder stays as it was and the
  // caller shows NotFoundMessage(). `control` bounds the walk and lets the window stay alive.
  bool Search(FolderSearchControl control = {});
  std::string NotFoundMessage() const;
  // Whether the last Search was ended early (cancelled or out of its budget) rather than
  // finding nothing.
  bool SearchStopped() const { return searchStopped_; }

  const std::string& Folder() const { return folder_; }
  bool Editable() const { return editable_; }
  bool SearchOffered() const { return !searchKeys_.empty(); }
  const std::string& SearchKeys() const { return searchKeys_; }
  const std::string& Caption() const { return caption_; }      // the caption above the choice
  const std::string& NeedsText() const { return needsText_; }  // lNeedsSize
  const std::string& FreeText() const { return freeText_; }    // lDrvSize
  const std::string& TitlePicture() const { return titlePicture_; }

 private:
  const SetupContext& context_;
  TCompile* model_ = nullptr;
  std::string folder_, searchKeys_, caption_, needsText_, freeText_, titlePicture_;
  bool editable_ = true, searchStopped_ = false;
};

// Group-9 page: the desktop and quick-launch shortcut check boxes.
class AddonsTaskPage : public WizardPage {
 public:
  bool Load(TCompile* model);
  void SetCompile(TCompile* model) override { Load(model); }
  TCompile* Compile() const { return model_; }

  void SetDesktop(bool on);      // Options.CreateDesktop
  void SetQuickLaunch(bool on);  // Options.CreateQuickLaunch

  bool DesktopShown() const { return desktopShown_; }
  bool Desktop() const { return desktop_; }
  bool QuickLaunchShown() const { return quickLaunchShown_; }
  bool QuickLaunch() const { return quickLaunch_; }
  const std::string& Caption() const { return caption_; }  // the caption above the choice
  const std::string& TitlePicture() const { return titlePicture_; }

 private:
  TCompile* model_ = nullptr;
  std::string caption_, titlePicture_;
  bool desktopShown_ = false, desktop_ = false, quickLaunchShown_ = false, quickLaunch_ = false;
};

// The fixed texts of the pages (GBK) are choice_text::kMainProgram and kSpaceNeeded (with its
// trailing blank) of ui/Ui.texts.

// The names of the settings the pages read (groups 6 to 9), from the package's table.
namespace choice_setting {
inline const std::string& kTitlePicture = setting::kStartMenuHeader.name;  // every page's
inline const std::string& kDefaultFolderName = setting::kStartMenuFolder.name;
inline const std::string& kFolderEditable = setting::kStartMenuAllowChange.name;
inline const std::string& kShowOption = setting::kStartMenuShowOption.name;
inline const std::string& kDefaultInstallPath = setting::kDefaultInstallDir.name;
inline const std::string& kPathEditable = setting::kInstallFolderAllowChange.name;
inline const std::string& kSearchKeys = setting::kSearchKeywords.name;
inline const std::string& kDesktop = setting::kCreateDesktop.name;
inline const std::string& kQuickLaunch = setting::kCreateQuickLaunch.name;
}  // namespace choice_setting

}  // namespace sk
