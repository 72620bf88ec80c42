#include "ui/ChoicePages.h"

#include "package/ByteSize.h"
#include "platform/SystemHelpers.h"
#include "ui/ChoicePaths.h"
#include "ui/Ui.texts.h"

namespace sk {

namespace {

using namespace choice_setting;

const std::string kInstallCaptionHead = ui_text::kInstallCaptionHead;
const std::string kInstallCaptionTail = ui_text::kInstallCaptionTail;
const std::string kTasksCaptionHead = ui_text::kTasksCaptionHead;
const std::string kTasksCaptionTail = ui_text::kTasksCaptionTail;
const std::string kNotFoundHead = ui_text::kNotFoundHead;
const std::string kNotFoundTail = ui_text::kNotFoundTail;

bool Enabled(const TCompileData* item) {
  return item->Value == text::kEnabled;
}

// The items of one setting group in package order.
std::vector<TCompileData*> Group(const TCompile& model, int group) {
  std::vector<TCompileData*> items;
  model.GetGroupSettings(group, items);
  return items;
}

}  // namespace

// ---- start-menu folder ----

bool StartFolderPage::Load(TCompile* model) {
  if (model_ || !model) return false;
  model_ = model;
  for (const TCompileData* item : Group(*model, 6)) {
    if (SameTextAscii(item->Name, kTitlePicture)) titlePicture_ = item->Value;
    if (SameTextAscii(item->Name, kDefaultFolderName)) SetFolder(item->Value);
    if (SameTextAscii(item->Name, kFolderEditable)) editable_ = Enabled(item);
    if (SameTextAscii(item->Name, kShowOption)) optionShown_ = Enabled(item);
  }
  SetCreateStartMenu(model->Options.CreateStartMenu != 0);
  return true;
}

void StartFolderPage::SetFolder(const std::string& name) {
  folder_ = name;
  if (model_) model_->Options.StartMenuFolder = name;
}

void StartFolderPage::SetCreateStartMenu(bool on) {
  createStartMenu_ = on;
  if (model_) model_->Options.CreateStartMenu = on ? 1 : 0;
}

std::string StartFolderPage::PickerRoot() const {
  return model_ ? GetSpecialFolder(model_->GetPlatform(), csidl::CommonPrograms) : std::string();
}

// ---- components ----

bool SelComponentPage::Load(TCompile* model) {
  if (model_ || !model) return false;
  model_ = model;
  for (const TCompileData* item : Group(*model, 7))
    if (SameTextAscii(item->Name, kTitlePicture)) titlePicture_ = item->Value;
  rows_.push_back(Row{choice_text::kMainProgram, true, nullptr});
  for (const auto& component : model->CompList())
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
  int64_t total = model_->Size;  // saturating: the sizes come from the package
  for (size_t i = 1; i < rows_.size(); ++i)
    if (rows_[i].checked && rows_[i].component)
      total = SaturatingAdd(total, rows_[i].component->Size);
  model_->Options.TotalSize = total;
  return total;
}

void SelComponentPage::Changed() {
  if (!model_) return;
  if (!rows_.empty()) rows_[0].checked = true;  // the main program is always installed
  spaceText_ = choice_text::kSpaceNeeded + FormatSize(CalcNeededSize());
  model_->ComponentList.clear();
  for (size_t i = 1; i < rows_.size(); ++i)
    if (rows_[i].checked) model_->ComponentList.push_back(rows_[i].text);
}

// ---- install folder ----

bool SelectInstallDirPage::Load(TCompile* model) {
  if (model_ || !model) return false;
  model_ = model;
  for (const TCompileData* item : Group(*model, 8)) {
    if (SameTextAscii(item->Name, kTitlePicture)) titlePicture_ = item->Value;
    if (SameTextAscii(item->Name, kDefaultInstallPath)) {
      SetFolder(item->Value == " "
                    ? context_.SetupDir
                    : ResolveDefaultPath(model->GetPlatform(), context_.SetupDir, item->Value));
    }
    if (SameTextAscii(item->Name, kPathEditable)) editable_ = Enabled(item);
    if (SameTextAscii(item->Name, kSearchKeys) && !item->Value.empty()) searchKeys_ = item->Value;
  }
  caption_ = kInstallCaptionHead + model->ItemName + kInstallCaptionTail;
  needsText_ = FormatSize(model->Options.TotalSize);
  return true;
}

void SelectInstallDirPage::SetFolder(const std::string& folder) {
  folder_ = folder;
  if (!model_) return;
  if (!folder.empty()) freeText_ = FormatSize(InstallDirFreeSpace(model_->GetPlatform(), folder));
  model_->Options.InstallDir = StripTrailingBackslash(folder);
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
  return kNotFoundHead + (model_ ? model_->ItemName : std::string()) + kNotFoundTail;
}

// ---- additional tasks ----

bool AddonsTaskPage::Load(TCompile* model) {
  if (model_ || !model) return false;
  model_ = model;
  caption_ = kTasksCaptionHead + model->ItemName + kTasksCaptionTail;
  for (const TCompileData* item : Group(*model, 9)) {
    if (SameTextAscii(item->Name, kTitlePicture)) titlePicture_ = item->Value;
    if (SameTextAscii(item->Name, kDesktop) && Enabled(item)) {
      desktopShown_ = true;
      SetDesktop(true);
    }
    if (SameTextAscii(item->Name, kQuickLaunch) && Enabled(item)) {
      quickLaunchShown_ = true;
      SetQuickLaunch(true);
    }
  }
  return true;
}

void AddonsTaskPage::SetDesktop(bool on) {
  desktop_ = on;
  if (model_) model_->Options.CreateDesktop = on ? 1 : 0;
}

void AddonsTaskPage::SetQuickLaunch(bool on) {
  quickLaunch_ = on;
  if (model_) model_->Options.CreateQuickLaunch = on ? 1 : 0;
}

}  // namespace sk
