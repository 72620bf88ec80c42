#include "ui/win32/InstallFolderView.h"

#include "ui/PagePictures.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/FolderPicker.h"
#include "ui/win32/Views.texts.h"

namespace sk::ui {

namespace {
const std::string kTitle = view_text::kInstallFolderTitle;
const std::string kQuestion = view_text::kInstallFolderQuestion;
const std::string kSearch = view_text::kInstallFolderSearch;
const std::string kNeeds = view_text::kInstallFolderNeeds;
const std::string kFree = view_text::kInstallFolderFree;

// Turns a close attempt of the wizard into "stop the search" while it runs.
class CloseStopsSearch {
 public:
  CloseStopsSearch(TForm& form, bool& stop) : form_(form), saved_(form.OnCloseQuery) {
    form_.OnCloseQuery = [&stop] {
      stop = true;
      return false;
    };
  }
  ~CloseStopsSearch() { form_.OnCloseQuery = saved_; }

 private:
  TForm& form_;
  std::function<bool()> saved_;
};
}  // namespace

TfrmSelectInstallDir::TfrmSelectInstallDir(TContainer& parent, SetupContext& context)
    : TChoicePageView(parent, L"TfrmSelectInstallDir", context),
      Logic(context),
      Label10(*this, 16, 14, kTitle),
      Label11(*this, 29, 33, kQuestion),
      Label1(*this, 80, 76, ""),
      Label2(*this, 32, 112, choice_caption::kClickNext),
      Image1(*this, 31, 67, 32, 32),
      Edit1(*this, 33, 136, 376, 20, ""),
      BitBtn1(*this, 415, 134, 81, 22, choice_caption::kBrowse),
      BitBtn2(*this, 414, 134, 81, 22, kSearch),
      Label14(*this, 33, 188, kNeeds),
      lNeedsSize(*this, 148, 188, ""),
      Label20(*this, 33, 212, kFree),
      lDrvSize(*this, 148, 212, ""),
      context_(context) {
  Label10.SetFont(BoldFont());
  ShowBuiltIn(Image1, page_picture::InstallFolder());
  BitBtn2.SetVisible(false);
  Edit1.OnChange = [this] { Edit1Change(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
}

void TfrmSelectInstallDir::SetCompile(TCompile* model) {
  if (!LoadLogic(Logic, model)) return;
  filling_ = true;
  LoadTitle(*model, Logic.TitlePicture());
  Edit1.SetText(Logic.Folder());
  Edit1.SetReadOnly(!Logic.Editable());
  BitBtn1.SetEnabled(Logic.Editable());
  if (Logic.SearchOffered()) {
    Edit1.SetBounds(33, 136, 288, 20);
    BitBtn1.SetBounds(328, 134, 81, 22);
    BitBtn2.SetVisible(true);
  }
  Label1.SetCaption(Logic.Caption());
  lNeedsSize.SetCaption(Logic.NeedsText());
  lDrvSize.SetCaption(Logic.FreeText());
  filling_ = false;
}

void TfrmSelectInstallDir::Edit1Change() {
  if (filling_) return;
  Logic.SetFolder(Edit1.Text());
  lDrvSize.SetCaption(Logic.FreeText());
}

void TfrmSelectInstallDir::BitBtn1Click() {
  if (auto folder = PickFolder(TStartFolderKindEnum::tfkFolder, "", Edit1.Text()))
    Edit1.SetText(*folder);
}

void TfrmSelectInstallDir::BitBtn2Click() {
  TCompile* model = Logic.Compile();
  if (!model || searching_) return;
  bool stop = false;
  bool found = false;
  {
    HourglassCursor hourglass;
    CloseStopsSearch closeStops(*static_cast<TForm*>(Root()), stop);
    SearchingState busy(*this);
    FolderSearchControl control;
    control.pump = [model] { model->GetPlatform().ProcessMessages(); };
    // Escape, a close of the wizard, or leaving the page with Back or Next ends the search.
    control.cancelled = [this, &stop] {
      return stop || (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0 || !IsWindowVisible(Handle());
    };
    found = Logic.Search(control);
  }
  if (found) {
    Edit1.SetText(Logic.Folder());  // raises Edit1Change, which shows the drive's free space
  } else if (!Logic.SearchStopped()) {
    ShowInfo(context_, Logic.NotFoundMessage());
  }
}

TfrmSelectInstallDir::SearchingState::SearchingState(TfrmSelectInstallDir& page) : page_(page) {
  page_.searching_ = true;
  page_.Edit1.SetEnabled(false);
  page_.BitBtn1.SetEnabled(false);
  page_.BitBtn2.SetEnabled(false);
}

TfrmSelectInstallDir::SearchingState::~SearchingState() {
  page_.searching_ = false;
  page_.Edit1.SetEnabled(true);
  page_.BitBtn1.SetEnabled(page_.Logic.Editable());
  page_.BitBtn2.SetEnabled(true);
}

LRESULT TfrmSelectInstallDir::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The hourglass over the page (and its disabled controls) while the search runs.
  if (msg == WM_SETCURSOR && searching_) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
  }
  return TChoicePageView::WndProc(msg, wp, lp);
}

}  // namespace sk::ui
