#include "ui/ChoicePages.h"

#include "package/ByteSize.h"
#include "package/SettingReaders.h"
#include "platform/SystemHelpers.h"
#include "ui/ChoicePaths.h"

namespace sk {

namespace {

// 安装程序将安装“ ... ”到下列文件夹中。 (setup will install ... into this folder)
const std::string kInstallCaptionHead =
    "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xBD\xAB\xB0\xB2\xD7\xB0\xA1\xB0";
const std::string kInstallCaptionTail =
    "\xA1\xB1\xB5\xBD\xCF\xC2\xC1\xD0\xCE\xC4\xBC\xFE\xBC\xD0\xD6\xD0\xA1\xA3";
// 选择您想要安装程序在安装“ ... ”的时候执行的附加任务，点击“下一步”按钮继续后面的操作。
const std::string kTasksCaptionHead =
    "\xD1\xA1\xD4\xF1\xC4\xFA\xCF\xEB\xD2\xAA\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xD4\xDA\xB0\xB2\xD7"
    "\xB0"
    "\xA1\xB0";
const std::string kTasksCaptionTail =
    "\xA1\xB1\xB5\xC4\xCA\xB1\xBA\xF2\xD6\xB4\xD0\xD0\xB5\xC4\xB8\xBD\xBC\xD3\xC8\xCE\xCE\xF1\xA3"
    "\xAC"
    "\xB5\xE3\xBB\xF7\xA1\xB0\xCF\xC2\xD2\xBB\xB2\xBD\xA1\xB1\xB0\xB4\xC5\xA5\xBC\xCC\xD0\xF8\xBA"
    "\xF3"
    "\xC3\xE6\xB5\xC4\xB2\xD9\xD7\xF7\xA1\xA3";
// 没有找到“ ... ”的安装目录，请点击“浏览”按钮进行手工确认。
const std::string kNotFoundHead = "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xA1\xB0";
const std::string kNotFoundTail =
    "\xA1\xB1\xB5\xC4\xB0\xB2\xD7\xB0\xC4\xBF\xC2\xBC\xA3\xAC\xC7\xEB\xB5\xE3\xBB\xF7\xA1\xB0\xE4"
    "\xAF"
    "\xC0\xC0\xA1\xB1\xB0\xB4\xC5\xA5\xBD\xF8\xD0\xD0\xCA\xD6\xB9\xA4\xC8\xB7\xC8\xCF\xA1\xA3";

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
