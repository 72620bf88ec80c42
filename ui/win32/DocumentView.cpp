#include "ui/win32/DocumentView.h"

#include <exdisp.h>
#include <ole2.h>

#include "ui/InformPages.h"

namespace sk::ui {

namespace {

// {8856F961-340A-11D0-A96B-00C04FD705A2}: the web-browser control.
const CLSID kWebBrowser = {
    0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
// {25336920-03F9-11CF-8FD0-00AA00686F13}: the HTML document, i.e. the browser's engine.
const CLSID kHtmlDocument = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
// {D30C1661-CDAF-11D0-8A3E-00C04FC9E26E}
const IID kIWebBrowser2 = {
    0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};

constexpr int64_t kMaxDocument = 16ll * 1024 * 1024;

bool CanCreate(const CLSID& clsid) {
  IUnknown* unknown = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&unknown))) ||
      !unknown) {
    return false;
  }
  unknown->Release();
  return true;
}

}  // namespace

TDocumentView::TDocumentView(TContainer& page, int left, int top, int width, int height)
    : Panel(page, left, top, width, height) {
  Panel.Color = RGB(255, 255, 255);
  com_ = SUCCEEDED(OleInitialize(nullptr));
}

TDocumentView::~TDocumentView() {
  if (browser_ && IsWindow(browser_)) DestroyWindow(browser_);
  text_.reset();
  if (atl_) FreeLibrary(atl_);
  if (com_) OleUninitialize();
}

bool TDocumentView::NavigateBrowser(const std::string& path) {
  if (!com_ || !CanCreate(kWebBrowser) || !CanCreate(kHtmlDocument)) return false;
  wchar_t system[MAX_PATH];
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  atl_ = LoadLibraryW((std::wstring(system, n) + L"\\atl.dll").c_str());
  if (!atl_) return false;
  using AxInit = BOOL(WINAPI*)();
  using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);
  auto init = reinterpret_cast<AxInit>(GetProcAddress(atl_, "AtlAxWinInit"));
  auto getControl = reinterpret_cast<AxGetControl>(GetProcAddress(atl_, "AtlAxGetControl"));
  if (!init || !getControl || !init()) return false;
  RECT rc;
  GetClientRect(Panel.Handle(), &rc);
  browser_ = CreateWindowExW(0, L"AtlAxWin", L"{8856F961-340A-11D0-A96B-00C04FD705A2}",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, rc.right, rc.bottom,
                             Panel.Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!browser_) return false;
  IUnknown* control = nullptr;
  IWebBrowser2* web = nullptr;
  bool ok = false;
  if (SUCCEEDED(getControl(browser_, &control)) && control &&
      SUCCEEDED(control->QueryInterface(kIWebBrowser2, reinterpret_cast<void**>(&web))) && web) {
    BSTR url = SysAllocString(Wide(path).c_str());
    VARIANT empty;
    VariantInit(&empty);
    ok = url && SUCCEEDED(web->Navigate(url, &empty, &empty, &empty, &empty));
    SysFreeString(url);
    web->Release();
  }
  if (control) control->Release();
  if (!ok) {
    DestroyWindow(browser_);
    browser_ = nullptr;
  }
  return ok;
}

void TDocumentView::Navigate(Platform& platform, const std::string& path) {
  if (path.empty()) return;
  if (NavigateBrowser(path)) return;
  std::string bytes;
  try {
    auto in = platform.OpenRead(path);
    const int64_t size = in->Size();
    if (size > 0) {
      bytes.resize(static_cast<size_t>(std::min(size, kMaxDocument)));
      bytes.resize(in->Read(bytes.data(), bytes.size()));
    }
  } catch (const Error&) {
    bytes.clear();  // an unreadable document shows an empty view
  }
  RECT rc;
  GetClientRect(Panel.Handle(), &rc);
  const int dpi = Panel.Scale(96);
  text_ =
      std::make_unique<TMemo>(Panel, 0, 0, MulDiv(rc.right, 96, dpi), MulDiv(rc.bottom, 96, dpi));
  MoveWindow(text_->Handle(), 0, 0, rc.right, rc.bottom, FALSE);
  text_->SetText(DocumentText(path, bytes));
}

}  // namespace sk::ui
