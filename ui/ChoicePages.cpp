#include "ui/ChoicePages.h"

#include "package/ByteSize.h"
#include "package/SettingReaders.h"
#include "platform/SystemHelpers.h"
#include "ui/ChoicePaths.h"
#include "ui/Ui.texts.h"

namespace sk {

namespace {

const std::string kInstallCaptionHead = ui_text::kInstallCaptionHead;
const std::string kInstallCaptionTail = ui_text::kInstallCaptionTail;
const std::string kTasksCaptionHead = ui_text::kTasksCaptionHead;
const std::string kTasksCaptionTail = ui_text::kTasksCaptionTail;
const std::string kNotFoundHead = ui_text::kNotFoundHead;
const std::string kNotFoundTail = ui_text::kNotFoundTail;

}  // namespace

// ---- start-menu folder ----

bool StartFolderPage::Load(TCompile* model) {
  if (model_ || !model) return false;
  model_ = model;
  const TPackage& package = model->Package();
  titlePicture_ = ReadText(package, setting::kStartMenuHeader).value_or("");
  if (auto folder = ReadText(package, setting::kStartMenuFolder)) SetFolder(*folder);
  editable_ = ReadSwitch(package, setting::kStartMenuAllowChange).value_or(true);
  optionShown_ = ReadSwitch(package, setting::kStartMenuShowOption).value_or(false);
  SetCreateStartMenu(model->Choices().Options.CreateStartMenu != 0);
  return true;
}

void StartFolderPage::SetFolder(const std::string& name) {
  folder_ = name;
  if (model_) model_->Choices().Options.StartMenuFolder = name;
}

void StartFolderPage::SetCreateStartMenu(bool on) {
  createStartMenu_ = on;
  if (model_) model_->Choices().Options.CreateStartMenu = on ? 1 : 0;
}

std::string StartFolderPage::PickerRoot() const {
  return model_ ? GetSpecialFolder(model_->GetPlatform(), csidl::CommonPrograms) : std::string();
}

// ---- components ----

bool SelComponentPage::Load(TCompile* model) {
  if (model_ || !model) return false;
  model_ = model;
  titlePicture_ = ReadText(model->Package(), setting::kComponentsHeader).value_or("");
  rows_.push_back(Row{choice_text::kMainProgram, true, nullptr});
  for (const auto& component : model->Package().CompList())
    rows_.push_back(Row{component->Name, true, component.get()});
  Changed();
  return true;
}

void SelComponentPage::SetChecked(size_t row, bool checked) {
  if (row >= rows_.size()) return;
  rows_[row].checked = checked;
  Changed();
}

void SelComponentPage::CheckOnly(const std::vector<std::string>& names) {
  for (size_t i = 1; i < rows_.size(); ++i) {
    bool wanted = false;
    for (const std::string& name : names) wanted = wanted || SameTextAscii(name, rows_[i].text);
    rows_[i].checked = wanted;
  }
  Changed();
}

int64_t SelComponentPage::CalcNeededSize() {
  if (!model_) return 0;
  int64_t total = model_->Package().Size;  // saturating: the sizes come from the package
  for (size_t i = 1; i < rows_.size(); ++i)
    if (rows_[i].checked && rows_[i].component)
      total = SaturatingAdd(total, rows_[i].component->Size);
  model_->Choices().Options.TotalSize = total;
  return total;
}

void SelComponentPage::Changed() {
  if (!model_) return;
  if (!rows_.empty()) rows_[0].checked = true;  // the main program is always installed
  spaceText_ = choice_text::kSpaceNeeded + FormatSize(CalcNeededSize());
  model_->Choices().ComponentList.clear();
  for (size_t i = 1; i < rows_.size(); ++i)
    if (rows_[i].checked) model_->Choices().ComponentList.push_back(rows_[i].text);
}

// ---- install folder ----

bool SelectInstallDirPage::Load(TCompile* model) {
  if (model_ || !model) return false;
  model_ = model;
  const TPackage& package = model->Package();
  titlePicture_ = ReadText(package, setting::kInstallFolderHeader).value_or("");
  if (auto dir = ReadPath(package, setting::kDefaultInstallDir, context_.SetupDir)) SetFolder(*dir);
  editable_ = ReadSwitch(package, setting::kInstallFolderAllowChange).value_or(true);
  searchKeys_ = ReadText(package, setting::kSearchKeywords).value_or("");
  caption_ = kInstallCaptionHead + model->Package().ItemName + kInstallCaptionTail;
  needsText_ = FormatSize(model->Choices().Options.TotalSize);
  return true;
}

void SelectInstallDirPage::SetFolder(const std::string& folder) {
  folder_ = folder;
  if (!model_) return;
  if (!folder.empty()) freeText_ = FormatSize(InstallDirFreeSpace(model_->GetPlatform(), folder));
  model_->Choices().Options.InstallDir = StripTrailingBackslash(folder);
}

bool SelectInstallDirPage::Search(FolderSearchControl control) {
  if (!model_) return false;
  FolderSearch search(model_->GetPlatform(), SplitSearchKeys(searchKeys_), std::move(control));
  const std::string found = search.SearchFixedDrives();
  searchStopped_ = search.Stats().stopped;
  if (found.empty()) return false;
  SetFolder(found);
  return true;
}

std::string SelectInstallDirPage::NotFoundMessage() const {
  return kNotFoundHead + (model_ ? model_->Package().ItemName : std::string()) + kNotFoundTail;
}

// ---- additional tasks ----

bool AddonsTaskPage::Load(TCompile* model) {
  if (model_ || !model) return false;
  model_ = model;
  caption_ = kTasksCaptionHead + model->Package().ItemName + kTasksCaptionTail;
  const TPackage& package = model->Package();
  titlePicture_ = ReadText(package, setting::kTasksHeader).value_or("");
  // A task is offered (and chosen) when any of its items is on, so a package that repeats the
  // item offers it even where a later copy is off; the load's default takes the last copy.
  if (AnySwitchOn(package, setting::kCreateDesktop)) {
    desktopShown_ = true;
    SetDesktop(true);
  }
  if (AnySwitchOn(package, setting::kCreateQuickLaunch)) {
    quickLaunchShown_ = true;
    SetQuickLaunch(true);
  }
  return true;
}

void AddonsTaskPage::SetDesktop(bool on) {
  desktop_ = on;
  if (model_) model_->Choices().Options.CreateDesktop = on ? 1 : 0;
}

void AddonsTaskPage::SetQuickLaunch(bool on) {
  quickLaunch_ = on;
  if (model_) model_->Choices().Options.CreateQuickLaunch = on ? 1 : 0;
}

}  // namespace sk
