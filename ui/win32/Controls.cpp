#include "ui/win32/Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "package/Compile.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/Platform.h"
#include "platform/win32/DllSearch.h"
#include "ui/win32/MemoryDc.h"

namespace sk::ui {

namespace {

const wchar_t kControlProp[] = L"sk.control";
const wchar_t kLabelClass[] = L"TLabel";
const wchar_t kGaugeClass[] = L"TGauge";

HINSTANCE Instance() {
  return GetModuleHandleW(nullptr);
}

void RegisterClassOnce(const wchar_t* name, WNDPROC proc, HCURSOR cursor) {
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(Instance(), name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = Instance();
  wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

HFONT MakeFont(const FontSpec& font, int dpi) {
  return CreateFontW(MulDiv(font.height, dpi, 96), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                     font.underline, FALSE, font.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Wide(font.face).c_str());
}

// Stores the object pointer passed to CreateWindowEx of a custom class.
template <typename T>
T* Self(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace

std::wstring Wide(const std::string& gbk) {
  const std::u16string u = GbkToUtf16(gbk);
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(const std::wstring& text) {
  return Utf16ToGbk(std::u16string(text.begin(), text.end())).value_or("?");
}

// ---- TControl ----

TControl::~TControl() {
  if (hwnd_ && IsWindow(hwnd_)) {
    RemovePropW(hwnd_, kControlProp);
    DestroyWindow(hwnd_);
  }
}

void TControl::Create(TContainer& parent, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                      int left, int top, int width, int height, const std::string& text) {
  parent_ = &parent;
  hwnd_ = CreateWindowExW(exStyle, windowClass, Wide(text).c_str(), style | WS_CHILD | WS_VISIBLE,
                          parent.Scale(left), parent.Scale(top), parent.Scale(width),
                          parent.Scale(height), parent.Handle(), nullptr, Instance(), this);
  if (!hwnd_) throw Error("cannot create a window of the setup");
  SetPropW(hwnd_, kControlProp, this);
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(parent.Font()), FALSE);
}

void TControl::SetText(const std::string& gbk) {
  SetWindowTextW(hwnd_, Wide(gbk).c_str());
}

std::string TControl::Text() const {
  std::wstring buf(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  buf.resize(static_cast<size_t>(GetWindowTextW(hwnd_, buf.data(), static_cast<int>(buf.size()))));
  return Narrow(buf);
}

void TControl::SetVisible(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}
bool TControl::Visible() const {
  return IsWindowVisible(hwnd_) != FALSE;
}
void TControl::SetEnabled(bool enabled) {
  EnableWindow(hwnd_, enabled);
}
bool TControl::Enabled() const {
  return IsWindowEnabled(hwnd_) != FALSE;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  const TContainer* scaler = parent_ ? parent_ : static_cast<TContainer*>(this);
  MoveWindow(hwnd_, scaler->Scale(left), scaler->Scale(top), scaler->Scale(width),
             scaler->Scale(height), TRUE);
}

void TControl::BringToFront() {
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

// ---- TContainer ----

int TContainer::Scale(int designed) const {
  return MulDiv(designed, static_cast<const TForm*>(root_)->Dpi(), 96);
}

HFONT TContainer::Font() const {
  return static_cast<const TForm*>(root_)->FormFont();
}

void TContainer::AddImage(TImage* image) {
  images_.push_back(image);
}
void TContainer::RemoveImage(TImage* image) {
  images_.erase(std::remove(images_.begin(), images_.end(), image), images_.end());
}

void TContainer::PaintBackground(HDC dc, const RECT& area) {
  HBRUSH brush = CreateSolidBrush(Color);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
  for (const TImage* image : images_) {
    RECT b = image->Bounds(), hit;
    if (IntersectRect(&hit, &b, &area)) image->Draw(dc);
  }
}

LRESULT CALLBACK TContainer::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TContainer* self = Self<TContainer>(hwnd, msg, lp);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->WndProc(msg, wp, lp);
}

LRESULT TContainer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  return HandleMessage(msg, wp, lp);
}

LRESULT TContainer::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      PaintBackground(dc, ps.rcPaint);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT rc;
      GetClientRect(hwnd_, &rc);
      PaintBackground(reinterpret_cast<HDC>(wp), rc);
      return 0;
    }
    case WM_COMMAND:
      if (lp) {
        if (auto* c = static_cast<TControl*>(GetPropW(reinterpret_cast<HWND>(lp), kControlProp))) {
          c->OnCommand(HIWORD(wp));
        }
      }
      return 0;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (auto* c = static_cast<TControl*>(GetPropW(hdr->hwndFrom, kControlProp))) {
        return c->OnNotify(hdr);
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Check boxes and read-only texts take the container's colour.
      HDC dc = reinterpret_cast<HDC>(wp);
      SetBkColor(dc, Color);
      SetBkMode(dc, TRANSPARENT);
      SetDCBrushColor(dc, Color);
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

// ---- TPanel ----

TPanel::TPanel(TContainer& parent, int left, int top, int width, int height,
               const wchar_t* windowClass) {
  root_ = parent.Root();
  Color = parent.Color;
  RegisterClassOnce(windowClass, &TContainer::WindowProc, nullptr);
  parent_ = &parent;
  hwnd_ =
      CreateWindowExW(WS_EX_CONTROLPARENT, windowClass, L"",
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, parent.Scale(left),
                      parent.Scale(top), parent.Scale(width), parent.Scale(height), parent.Handle(),
                      nullptr, Instance(), static_cast<TContainer*>(this));
  if (!hwnd_) throw Error("cannot create a window of the setup");
  SetPropW(hwnd_, kControlProp, static_cast<TControl*>(this));
}

// ---- TForm ----

TForm::TForm(const wchar_t* windowClass, int clientWidth, int clientHeight, DWORD style,
             const FontSpec& font)
    : dpi_(ScreenDpi()), font_(MakeFont(font, dpi_)) {
  RegisterClassOnce(windowClass, &TContainer::WindowProc, nullptr);
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
  style |= WS_CLIPCHILDREN;
  RECT rc{0, 0, Scale(clientWidth), Scale(clientHeight)};
  AdjustWindowRectEx(&rc, style, FALSE, exStyle);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - w) / 2;
  const int y = work.top + (work.bottom - work.top - h) / 2;
  hwnd_ = CreateWindowExW(exStyle, windowClass, L"", style, x, y, w, h, nullptr, nullptr,
                          Instance(), static_cast<TContainer*>(this));
  if (!hwnd_) throw Error("cannot create a window of the setup");
}

TForm::~TForm() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

namespace {
struct DisableState {
  HWND keep;
  std::vector<HWND> disabled;
};
BOOL CALLBACK DisableOther(HWND hwnd, LPARAM lp) {
  auto* state = reinterpret_cast<DisableState*>(lp);
  if (hwnd != state->keep && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    state->disabled.push_back(hwnd);
  }
  return TRUE;
}
}  // namespace

int TForm::ShowModal() {
  DisableState state{hwnd_, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOther, reinterpret_cast<LPARAM>(&state));
  modalResult_ = mrNone;
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetForegroundWindow(hwnd_);
  if (OnShow) OnShow();
  MSG msg;
  while (modalResult_ == mrNone && IsWindow(hwnd_)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      modalResult_ = mrCancel;
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  for (HWND h : state.disabled) EnableWindow(h, TRUE);
  if (IsWindow(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
  return modalResult_;
}

void TForm::Close() {
  if (OnCloseQuery && !OnCloseQuery()) return;
  if (modalResult_ == mrNone) modalResult_ = mrCancel;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_TIMER:
      if (auto* timer = reinterpret_cast<TTimer*>(wp);
          std::find(timers_.begin(), timers_.end(), timer) != timers_.end()) {
        timer->Fire();
      }
      return 0;
  }
  return HandleMessage(msg, wp, lp);
}

// ---- TLabel ----

TLabel::TLabel(TContainer& parent, int left, int top, const std::string& caption, bool autoSize,
               int width, int height)
    : autoSize_(autoSize) {
  RegisterClassOnce(kLabelClass, &TLabel::WindowProc, nullptr);
  parent_ = &parent;
  hwnd_ = CreateWindowExW(0, kLabelClass, Wide(caption).c_str(), WS_CHILD | WS_VISIBLE,
                          parent.Scale(left), parent.Scale(top), parent.Scale(width),
                          parent.Scale(height), parent.Handle(), nullptr, Instance(), this);
  if (!hwnd_) throw Error("cannot create a window of the setup");
  SetPropW(hwnd_, kControlProp, static_cast<TControl*>(this));
  FitToText();
}

void TLabel::FitToText() {
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, ownFont_.get() ? ownFont_.get() : parent_->Font());
  const std::wstring text = Wide(Text());
  RECT current;
  GetClientRect(hwnd_, &current);
  const UINT prefix = ShowAccelChar ? 0 : DT_NOPREFIX;
  RECT rc{0, 0, autoSize_ ? 0 : current.right, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc,
            DT_CALCRECT | prefix | (autoSize_ ? 0 : DT_WORDBREAK));
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  if (autoSize_) {
    SetWindowPos(hwnd_, nullptr, 0, 0, rc.right, rc.bottom, SWP_NOMOVE | SWP_NOZORDER);
  } else if (rc.bottom > current.bottom) {
    // A word-wrapped label keeps its width and grows downwards when the text needs more
    // lines than designed (a substitute font may be taller than the designed one).
    SetWindowPos(hwnd_, nullptr, 0, 0, current.right, rc.bottom, SWP_NOMOVE | SWP_NOZORDER);
  }
}

void TLabel::SetCaption(const std::string& gbk) {
  RECT old;
  GetWindowRect(hwnd_, &old);
  MapWindowPoints(nullptr, parent_->Handle(), reinterpret_cast<POINT*>(&old), 2);
  SetText(gbk);
  FitToText();
  RedrawWindow(parent_->Handle(), &old, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TLabel::SetFontColor(COLORREF color) {
  color_ = color;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TLabel::SetFont(const FontSpec& font) {
  ownFont_.Reset(MakeFont(font, parent_->Scale(96)));
  FitToText();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TLabel::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT rc;
  GetClientRect(hwnd_, &rc);
  // Draw the container's background below the label first, so the text sits on its pictures.
  MemoryDc buffer(dc, rc.right, rc.bottom);
  HDC mem = buffer.get();
  RECT inParent = rc;
  MapWindowPoints(hwnd_, parent_->Handle(), reinterpret_cast<POINT*>(&inParent), 2);
  SetViewportOrgEx(mem, -inParent.left, -inParent.top, nullptr);
  parent_->PaintBackground(mem, inParent);
  SetViewportOrgEx(mem, 0, 0, nullptr);
  HGDIOBJ oldFont = SelectObject(mem, ownFont_.get() ? ownFont_.get() : parent_->Font());
  SetBkMode(mem, TRANSPARENT);
  SetTextColor(mem, IsWindowEnabled(hwnd_) ? color_ : GetSysColor(COLOR_GRAYTEXT));
  const std::wstring text = Wide(Text());
  DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &rc,
            (ShowAccelChar ? 0 : DT_NOPREFIX) | (autoSize_ ? 0 : DT_WORDBREAK));
  BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldFont);
  EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK TLabel::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = Self<TLabel>(hwnd, msg, lp);
  if (!self || !self->hwnd_) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_SETCURSOR:
      if (self->cursor_) {
        ::SetCursor(self->cursor_);
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      if (!self->hover_) {
        self->hover_ = true;
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&tme);
        if (self->OnMouseEnter) self->OnMouseEnter();
      }
      return 0;
    case WM_MOUSELEAVE:
      self->hover_ = false;
      if (self->OnMouseLeave) self->OnMouseLeave();
      return 0;
    case WM_LBUTTONUP:
      if (self->OnClick) self->OnClick();
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- buttons, edits, lists ----

TButton::TButton(TContainer& parent, int left, int top, int width, int height,
                 const std::string& caption) {
  Create(parent, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, left, top, width, height, caption);
}

void TButton::OnCommand(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

TCheckBox::TCheckBox(TContainer& parent, int left, int top, int width, int height,
                     const std::string& caption) {
  Create(parent, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, left, top, width, height, caption);
}

bool TCheckBox::Checked() const {
  return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void TCheckBox::SetChecked(bool checked) {
  SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
void TCheckBox::OnCommand(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

TEdit::TEdit(TContainer& parent, int left, int top, int width, int height,
             const std::string& text) {
  Create(parent, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, left, top, width, height,
         text);
}
void TEdit::SetReadOnly(bool readOnly) {
  SendMessageW(hwnd_, EM_SETREADONLY, readOnly, 0);
}
void TEdit::OnCommand(WORD code) {
  if (code == EN_CHANGE && OnChange) OnChange();
}

TMemo::TMemo(TContainer& parent, int left, int top, int width, int height) {
  Create(parent, L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
         WS_EX_CLIENTEDGE, left, top, width, height);
  // No 32K limit: an install of many files adds a line for each.
  SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);
}

void TMemo::AddLine(const std::string& gbk) {
  const int end = GetWindowTextLengthW(hwnd_);
  SendMessageW(hwnd_, EM_SETSEL, end, end);
  const std::wstring line = (end ? L"\r\n" : L"") + Wide(gbk);
  SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

TCheckListBox::TCheckListBox(TContainer& parent, int left, int top, int width, int height,
                             int rowHeight) {
  Create(parent, WC_LISTVIEWW, LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | WS_TABSTOP,
         WS_EX_CLIENTEDGE, left, top, width, height);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  SetRowHeight(parent.Scale(rowHeight));
  LVCOLUMNW col{};
  col.mask = LVCF_WIDTH;
  col.cx = parent.Scale(width) - GetSystemMetrics(SM_CXVSCROLL) - 4;
  ListView_InsertColumn(hwnd_, 0, &col);
}

void TCheckListBox::SetRowHeight(int pixels) {
  // A report row is as high as its small images (and, on some systems, a padding pixel or
  // two): an empty image list one pixel wide sets the height. A row measured once corrects
  // for the padding. The list view owns its image list and frees it with itself.
  // The image-list calls are looked up at run time: the programs do not import comctl32.
  using CreateFn = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
  using DestroyFn = BOOL(WINAPI*)(HIMAGELIST);
  const auto create = reinterpret_cast<CreateFn>(
      reinterpret_cast<void*>(win32::CommonControlsProc("ImageList_Create")));
  const auto destroy = reinterpret_cast<DestroyFn>(
      reinterpret_cast<void*>(win32::CommonControlsProc("ImageList_Destroy")));
  auto useImagesOf = [this, create, destroy](int height) {
    if (!create || !destroy) return;
    if (HIMAGELIST rows = create(1, std::max(height, 1), ILC_COLOR32, 0, 1)) {
      if (HIMAGELIST old = ListView_SetImageList(hwnd_, rows, LVSIL_SMALL)) destroy(old);
    }
  };
  useImagesOf(pixels);
  LVITEMW probe{};
  probe.mask = LVIF_TEXT;
  probe.pszText = const_cast<wchar_t*>(L"");
  filling_ = true;
  const int index = ListView_InsertItem(hwnd_, &probe);
  RECT row{};
  if (index >= 0 && ListView_GetItemRect(hwnd_, index, &row, LVIR_BOUNDS) &&
      row.bottom - row.top != pixels)
    useImagesOf(pixels - (row.bottom - row.top - pixels));
  if (index >= 0) ListView_DeleteItem(hwnd_, index);
  filling_ = false;
}

int TCheckListBox::Add(const std::string& gbk, bool checked) {
  filling_ = true;
  std::wstring text = Wide(gbk);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = Count();
  item.pszText = text.data();
  const int index = ListView_InsertItem(hwnd_, &item);
  ListView_SetCheckState(hwnd_, index, checked);
  filling_ = false;
  return index;
}

int TCheckListBox::Count() const {
  return ListView_GetItemCount(hwnd_);
}
bool TCheckListBox::Checked(int index) const {
  return ListView_GetCheckState(hwnd_, index) != 0;
}
void TCheckListBox::SetChecked(int index, bool checked) {
  ListView_SetCheckState(hwnd_, index, checked);
}

LRESULT TCheckListBox::OnNotify(NMHDR* hdr) {
  if (hdr->code == LVN_ITEMCHANGED && !filling_) {
    auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
    if ((nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_STATEIMAGEMASK) &&
        OnClickCheck) {
      OnClickCheck(nm->iItem);
    }
  }
  return 0;
}

TProgressBar::TProgressBar(TContainer& parent, int left, int top, int width, int height) {
  Create(parent, PROGRESS_CLASSW, 0, 0, left, top, width, height);
}
void TProgressBar::SetMax(int32_t max) {
  SendMessageW(hwnd_, PBM_SETRANGE32, 0, max);
}
void TProgressBar::SetPosition(int32_t position) {
  SendMessageW(hwnd_, PBM_SETPOS, position, 0);
  UpdateWindow(hwnd_);
}

TBevel::TBevel(TContainer& parent, int left, int top, int width, int height) {
  Create(parent, L"STATIC", SS_ETCHEDHORZ, 0, left, top, width, 2);
}

// ---- TGauge ----

TGauge::TGauge(TContainer& parent, int left, int top, int width, int height, COLORREF foreColor)
    : fore_(foreColor) {
  RegisterClassOnce(kGaugeClass, &TGauge::WindowProc, nullptr);
  parent_ = &parent;
  hwnd_ = CreateWindowExW(0, kGaugeClass, L"0%", WS_CHILD | WS_VISIBLE, parent.Scale(left),
                          parent.Scale(top), parent.Scale(width), parent.Scale(height),
                          parent.Handle(), nullptr, Instance(), this);
  if (!hwnd_) throw Error("cannot create a window of the setup");
  SetPropW(hwnd_, kControlProp, static_cast<TControl*>(this));
}

void TGauge::SetMax(int64_t max) {
  state_.SetMax(max);
  Changed();
}

void TGauge::SetProgress(int64_t progress) {
  state_.SetProgress(progress);
  Changed();
}

namespace {

// "NN%" without the formatted-output library (it would add tens of KB to Setup.exe).
std::wstring PercentText(int percent) {
  const std::string digits = std::to_string(percent);
  std::wstring text(digits.begin(), digits.end());
  text += L'%';
  return text;
}

}  // namespace

void TGauge::Changed() {
  // Installs report every file; the bar is redrawn only when the percentage it shows changes,
  // since a paint costs far more than a small file.
  const int percent = state_.PercentDone();
  if (percent == shown_) return;
  shown_ = percent;
  // The window text carries the percentage too, so a test robot can read it.
  SetWindowTextW(hwnd_, PercentText(percent).c_str());
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void TGauge::Paint(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  MemoryDc buffer(dc, rc.right, rc.bottom);
  HDC mem = buffer.get();
  FillRect(mem, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FrameRect(mem, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT inner = rc;
  InflateRect(&inner, -1, -1);
  RECT done = inner;
  done.right = inner.left + (inner.right - inner.left) * state_.PercentDone() / 100;
  HBRUSH fore = CreateSolidBrush(fore_);
  FillRect(mem, &done, fore);
  DeleteObject(fore);
  // The percentage: black over the empty part, white over the filled part.
  const std::wstring text = PercentText(state_.PercentDone());
  HGDIOBJ oldFont = SelectObject(mem, parent_->Font());
  SetBkMode(mem, TRANSPARENT);
  RECT empty = inner;
  empty.left = done.right;
  for (int part = 0; part < 2; ++part) {
    const RECT& clip = part == 0 ? empty : done;
    SaveDC(mem);
    IntersectClipRect(mem, clip.left, clip.top, clip.right, clip.bottom);
    SetTextColor(mem, part == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255));
    DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &inner,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    RestoreDC(mem, -1);
  }
  BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldFont);
}

LRESULT CALLBACK TGauge::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = Self<TGauge>(hwnd, msg, lp);
  if (self && self->hwnd_) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      self->Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    if (msg == WM_PRINTCLIENT) {
      self->Paint(reinterpret_cast<HDC>(wp));
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- TImage ----

TImage::TImage(TContainer& parent, int left, int top, int width, int height)
    : parent_(parent),
      bounds_{parent.Scale(left), parent.Scale(top), parent.Scale(left + width),
              parent.Scale(top + height)} {
  parent_.AddImage(this);
}

TImage::~TImage() {
  parent_.RemoveImage(this);
}

void TImage::Invalidate() {
  RedrawWindow(parent_.Handle(), &bounds_, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TImage::SetPixelBounds(const RECT& bounds) {
  Invalidate();
  bounds_ = bounds;
  Invalidate();
}

void TImage::Draw(HDC dc) const {
  if (Picture.Empty()) return;
  RECT dest = bounds_;
  if (!Stretch) {  // natural size, scaled like the rest of the window
    dest.right = dest.left + parent_.Scale(Picture.Width());
    dest.bottom = dest.top + parent_.Scale(Picture.Height());
  }
  SaveDC(dc);
  IntersectClipRect(dc, bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
  Picture.Draw(dc, dest);
  RestoreDC(dc, -1);
}

// ---- TTimer ----

TTimer::TTimer(TForm& owner, UINT intervalMs, bool enabled) : owner_(owner), interval_(intervalMs) {
  owner_.timers_.push_back(this);
  SetEnabled(enabled);
}

TTimer::~TTimer() {
  SetEnabled(false);
  auto& t = owner_.timers_;
  t.erase(std::remove(t.begin(), t.end(), this), t.end());
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled) {
    SetTimer(owner_.Handle(), reinterpret_cast<UINT_PTR>(this), interval_, nullptr);
  } else {
    KillTimer(owner_.Handle(), reinterpret_cast<UINT_PTR>(this));
  }
}

void TTimer::Fire() {
  if (enabled_ && OnTimer) OnTimer();
}

}  // namespace sk::ui
