// A thin Win32 control layer for the setup's windows (Windows only).
//
// - Positions and sizes are designed pixels at 96 DPI; each form scales them to the monitor DPI.
// - Texts are GBK byte strings, converted to UTF-16 here; only W APIs are called.
// - Ownership: a TForm owns its window; controls are members of the form classes that use them
//   and are created with their parent container (form or panel), which must outlive them. Every
//   HWND, HFONT, HBITMAP and timer is released by its owner's destructor.
// - A form runs modally with ShowModal (its own message loop, every other enabled top-level
//   window of the thread disabled meanwhile). Close() asks CloseQuery first.
// - Labels are drawn over their container's background (colour and pictures), so they look
//   transparent over pictures; pictures (TImage) and their container paint together.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Progress.h"
#include "ui/win32/Views.texts.h"

namespace sk {
class Platform;
struct Bitmap32;
}  // namespace sk

namespace sk::ui {

std::wstring Wide(const std::string& gbk);
std::string Narrow(const std::wstring& text);

// Owns a GDI object (font, bitmap, brush).
template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H h) : h_(h) {}
  ~GdiObject() { Reset(); }
  GdiObject(GdiObject&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
  GdiObject& operator=(GdiObject&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = o.h_;
      o.h_ = nullptr;
    }
    return *this;
  }
  void Reset(H h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }
  H get() const { return h_; }

 private:
  H h_ = nullptr;
};

// 宋体 9 pt (height -12 at 96 DPI), GB2312 character set unless told otherwise.
struct FontSpec {
  std::string face = view_text::kDefaultFace;
  int height = -12;  // designed pixels (negative: character height)
  bool bold = false;
  bool underline = false;
  BYTE charset = GB2312_CHARSET;
};

// A decoded picture: PNG and JPEG through the portable decoders (chosen by extension),
// BMP and ICO through the system.
class TPicture {
 public:
  // Loads the file; throws sk::Error naming the file when it cannot be read or decoded.
  void LoadFromFile(Platform& platform, const std::string& path);
  // Decodes PNG file bytes (e.g. a picture built into the program); throws sk::Error naming
  // `what` when they are damaged.
  void LoadPng(const std::string& bytes, const std::string& what);
  bool Empty() const { return !bitmap_.get() && !icon_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void Draw(HDC dc, const RECT& dest) const;  // stretched onto dest
  ~TPicture();

 private:
  void Clear();
  void SetPixels(const Bitmap32& bmp, const std::string& what);
  GdiObject<HBITMAP> bitmap_;
  HICON icon_ = nullptr;
  bool alpha_ = false;
  int width_ = 0;
  int height_ = 0;
};

class TContainer;

// A child window.
class TControl {
 public:
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  HWND Handle() const { return hwnd_; }
  void SetText(const std::string& gbk);
  std::string Text() const;
  void SetVisible(bool visible);
  bool Visible() const;
  void SetEnabled(bool enabled);
  bool Enabled() const;
  void SetBounds(int left, int top, int width, int height);  // designed pixels
  void BringToFront();

  // Called by the container for notifications addressed to this control.
  virtual void OnCommand(WORD) {}
  virtual LRESULT OnNotify(NMHDR*) { return 0; }

 protected:
  TControl() = default;
  void Create(TContainer& parent, const wchar_t* windowClass, DWORD style, DWORD exStyle, int left,
              int top, int width, int height, const std::string& text = "");
  TContainer* parent_ = nullptr;
  HWND hwnd_ = nullptr;
};

// A window that holds controls: paints its background colour and pictures and routes the
// notifications of its children back to them.
class TContainer : public TControl {
 public:
  COLORREF Color = GetSysColor(COLOR_BTNFACE);
  int Scale(int designed) const;
  HFONT Font() const;
  // Paints colour and pictures of the rectangle `area` (client coordinates) into dc.
  void PaintBackground(HDC dc, const RECT& area);
  TContainer* Root() const { return root_; }
  void AddImage(class TImage* image);
  void RemoveImage(class TImage* image);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  friend class TForm;
  TContainer* root_ = this;  // the form (for DPI and font)
  std::vector<TImage*> images_;
};

class TPanel : public TContainer {
 public:
  // `windowClass` names the panel's window class, so pages can be found by their class name.
  TPanel(TContainer& parent, int left, int top, int width, int height,
         const wchar_t* windowClass = L"TPanel");
};

class TForm : public TContainer {
 public:
  enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3 };

  // `windowClass` is the class name the window is registered under (e.g. "TfrmInstall").
  TForm(const wchar_t* windowClass, int clientWidth, int clientHeight, DWORD style,
        const FontSpec& font = FontSpec());
  ~TForm() override;

  int ShowModal();
  void Close();
  void SetModalResult(int result) { modalResult_ = result; }
  int Dpi() const { return dpi_; }
  HFONT FormFont() const { return font_.get(); }

  std::function<bool()> OnCloseQuery;  // false refuses closing
  std::function<void()> OnShow;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  int dpi_ = 96;
  GdiObject<HFONT> font_;
  int modalResult_ = mrNone;
  std::vector<class TTimer*> timers_;
  friend class TTimer;
};

class TLabel : public TControl {
 public:
  TLabel(TContainer& parent, int left, int top, const std::string& caption, bool autoSize = true,
         int width = 0, int height = 0);
  void SetCaption(const std::string& gbk);
  void SetFontColor(COLORREF color);
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }
  void SetFont(const FontSpec& font);
  std::function<void()> OnClick, OnMouseEnter, OnMouseLeave;
  std::string Hint;            // kept, never shown as a tooltip
  bool ShowAccelChar = false;  // "&" before a letter underlines it (designed captions)

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Paint();
  void FitToText();
  bool autoSize_;
  COLORREF color_ = RGB(0, 0, 0);
  HCURSOR cursor_ = nullptr;
  bool hover_ = false;
  GdiObject<HFONT> ownFont_;
};

class TButton : public TControl {
 public:
  TButton(TContainer& parent, int left, int top, int width, int height, const std::string& caption);
  void OnCommand(WORD code) override;
  std::function<void()> OnClick;
};

class TCheckBox : public TControl {
 public:
  TCheckBox(TContainer& parent, int left, int top, int width, int height,
            const std::string& caption);
  bool Checked() const;
  void SetChecked(bool checked);
  void OnCommand(WORD code) override;
  std::function<void()> OnClick;
};

class TEdit : public TControl {
 public:
  TEdit(TContainer& parent, int left, int top, int width, int height, const std::string& text);
  void SetReadOnly(bool readOnly);
  void OnCommand(WORD code) override;
  std::function<void()> OnChange;
};

class TMemo : public TControl {
 public:
  TMemo(TContainer& parent, int left, int top, int width, int height);
  void AddLine(const std::string& gbk);
};

// A list of rows with check boxes, `rowHeight` designed pixels high each.
class TCheckListBox : public TControl {
 public:
  TCheckListBox(TContainer& parent, int left, int top, int width, int height, int rowHeight = 18);
  int Add(const std::string& gbk, bool checked);
  int Count() const;
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  LRESULT OnNotify(NMHDR* hdr) override;
  std::function<void(int index)> OnClickCheck;

 private:
  void SetRowHeight(int pixels);
  bool filling_ = false;
};

class TProgressBar : public TControl {
 public:
  TProgressBar(TContainer& parent, int left, int top, int width, int height);
  void SetMax(int32_t max);
  void SetPosition(int32_t position);
};

// A horizontal bar that paints its percentage ("%d%%", truncated) in its middle.
class TGauge : public TControl {
 public:
  TGauge(TContainer& parent, int left, int top, int width, int height, COLORREF foreColor);
  void SetMax(int64_t max);
  void SetProgress(int64_t progress);
  const GaugeState& State() const { return state_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Paint(HDC dc);
  void Changed();
  GaugeState state_;
  int shown_ = -1;  // the percentage drawn last
  COLORREF fore_;
};

// A top edge line (the separator of the wizard).
class TBevel : public TControl {
 public:
  TBevel(TContainer& parent, int left, int top, int width, int height);
};

// A picture drawn by its container, at its bounds, stretched or at natural size.
class TImage {
 public:
  TImage(TContainer& parent, int left, int top, int width, int height);
  ~TImage();
  TPicture Picture;
  bool Stretch = false;
  void Invalidate();
  void Draw(HDC dc) const;
  RECT Bounds() const { return bounds_; }
  // New bounds in device pixels of the container's client area (for aligned pictures).
  void SetPixelBounds(const RECT& bounds);

 private:
  TContainer& parent_;
  RECT bounds_;
};

// A window timer of a form; OnTimer runs on the GUI thread.
class TTimer {
 public:
  TTimer(TForm& owner, UINT intervalMs, bool enabled);
  ~TTimer();
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  std::function<void()> OnTimer;
  void Fire();

 private:
  TForm& owner_;
  UINT interval_;
  bool enabled_ = false;
};

// Shows the hourglass while alive.
class HourglassCursor {
 public:
  HourglassCursor() : previous_(::SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~HourglassCursor() { ::SetCursor(previous_); }

 private:
  HCURSOR previous_;
};

}  // namespace sk::ui
