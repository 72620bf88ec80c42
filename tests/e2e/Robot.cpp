#include <windows.h>
// (after windows.h)
#include <commctrl.h>

#include "tests/e2e/Robot.h"

#include <algorithm>

#include "platform/Encoding.h"
#include "tests/support/PngFile.h"

namespace sk::robot {

namespace {
std::wstring W(const std::string& gbk) {
  const std::u16string u = GbkToUtf16(gbk);
  return std::wstring(u.begin(), u.end());
}
std::string N(const std::wstring& w) {
  return Utf16ToGbk(std::u16string(w.begin(), w.end())).value_or("?");
}
}  // namespace

Process::Process(const std::string& exePath, const std::string& workDir,
                 const std::string& arguments) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + W(exePath) + L"\"";
  if (!arguments.empty()) cmd += L" " + W(arguments);
  if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     workDir.empty() ? nullptr : W(workDir).c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
  }
}

Process::~Process() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool Process::WaitExit(int timeoutMs) {
  return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

void Process::Kill() {
  if (!process_) return;
  TerminateProcess(process_, 99);
  WaitForSingleObject(process_, 5000);
}

bool Process::Running() const {
  return process_ && ExitCode() == STILL_ACTIVE;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(stepMs);
  }
}

std::string ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return N(name);
}

namespace {
constexpr UINT kSendTimeoutMs = 15000;

// Sends a message to a window of the program under test and gives up after a while: a program
// that stopped taking messages (busy, hung, or between being killed and gone) must fail the test
// that waits on it, not stop the whole suite. Returns 0 when no answer came.
LRESULT Send(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, message, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}
}  // namespace

std::string TextOf(HWND hwnd) {
  // WM_GETTEXT works across processes for every window class.
  const LRESULT len = Send(hwnd, WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0 || len > (1 << 20)) return {};
  std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
  const LRESULT got = Send(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(std::min(static_cast<size_t>(got), buf.size() - 1));
  return N(buf);
}

namespace {

// Window enumeration callbacks: CALLBACK (stdcall on i686, where a lambda would be cdecl).
struct TopQuery {
  DWORD pid;
  std::string cls;
  std::vector<HWND> found;
};
BOOL CALLBACK CollectTopWindow(HWND hwnd, LPARAM lp) {
  auto* q = reinterpret_cast<TopQuery*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == q->pid && IsWindowVisible(hwnd) && (q->cls.empty() || ClassOf(hwnd) == q->cls))
    q->found.push_back(hwnd);
  return TRUE;
}

struct ChildQuery {
  std::string cls;
  std::vector<HWND> found;
};
BOOL CALLBACK CollectChildWindow(HWND hwnd, LPARAM lp) {
  auto* q = reinterpret_cast<ChildQuery*>(lp);
  if (q->cls.empty() || ClassOf(hwnd) == q->cls) q->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const std::string& className) {
  TopQuery q{pid, className, {}};
  EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

HWND WaitWindow(DWORD pid, const std::string& className, const std::string& captionPart,
                int timeoutMs) {
  HWND result = nullptr;
  WaitUntil(
      [&] {
        for (HWND h : TopWindows(pid, className)) {
          if (captionPart.empty() || TextOf(h).find(captionPart) != std::string::npos) {
            result = h;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return result;
}

HWND WaitMessageBox(DWORD pid, int timeoutMs) {
  return WaitWindow(pid, "#32770", "", timeoutMs);
}

std::vector<HWND> Children(HWND parent, const std::string& className) {
  std::vector<HWND> out;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (ClassOf(h) == className) out.push_back(h);
  }
  return out;
}

std::vector<HWND> Descendants(HWND parent, const std::string& className) {
  ChildQuery q{className, {}};
  EnumChildWindows(parent, CollectChildWindow, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

HWND VisibleDescendant(HWND parent, const std::string& className) {
  for (HWND h : Descendants(parent, className))
    if (IsWindowVisible(h)) return h;
  return nullptr;
}

HWND ButtonWithText(HWND parent, const std::string& text) {
  for (HWND h : Descendants(parent, "Button"))
    if (TextOf(h) == text) return h;
  return nullptr;
}

bool IsVisible(HWND hwnd) {
  return IsWindowVisible(hwnd) != FALSE;
}

bool IsEnabled(HWND hwnd) {
  return IsWindowEnabled(hwnd) != FALSE;
}

void ClientSize(HWND hwnd, int& width, int& height) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  width = rc.right;
  height = rc.bottom;
}

HWND Desktop() {
  return GetDesktopWindow();
}

MessageBoxContent ReadMessageBox(HWND box) {
  MessageBoxContent c;
  c.caption = TextOf(box);
  // The message text is the static control with id 0xFFFF.
  if (HWND text = GetDlgItem(box, 0xFFFF)) c.text = TextOf(text);
  return c;
}

bool PressDialogButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return false;
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return true;
}

void Click(HWND button) {
  PostMessageW(button, BM_CLICK, 0, 0);
}

void SetText(HWND edit, const std::string& text) {
  // WM_SETTEXT carries its string across processes.
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(text).c_str()));
}

void PressKey(HWND hwnd, int virtualKey) {
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
  PostMessageW(hwnd, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1 | (scan << 16));
  PostMessageW(hwnd, WM_KEYUP, static_cast<WPARAM>(virtualKey), 1 | (scan << 16) | 0xC0000000u);
}

bool IsChecked(HWND checkBox) {
  return Send(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Only messages without pointers work across processes: the count and the item state come
// back as the result.
int ListRowCount(HWND list) {
  return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
}

bool ListRowChecked(HWND list, int row) {
  const auto state = static_cast<UINT>(Send(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

std::vector<TreeNode> TreeChildren(HWND tree, TreeNode node) {
  std::vector<TreeNode> out;
  auto next = [&](UINT how, void* from) {
    return reinterpret_cast<TreeNode>(
        Send(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)));
  };
  for (TreeNode n = node ? next(TVGN_CHILD, node) : next(TVGN_ROOT, nullptr); n;
       n = next(TVGN_NEXT, n))
    out.push_back(n);
  return out;
}

void TreeSelect(HWND tree, TreeNode node) {
  Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
}

void MoveTo(HWND hwnd, int x, int y) {
  SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PostClose(HWND hwnd) {
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

void DeleteMachineKey(const std::string& key) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, W(key).c_str());
}

void DeleteMachineValue(const std::string& key, const std::string& name) {
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, W(key).c_str(), W(name).c_str());
}

bool MachineValueInView(const std::string& key, const std::string& name, RegView view) {
  const REGSAM flag = view == RegView::Bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(key).c_str(), 0, KEY_READ | flag, &k) != ERROR_SUCCESS)
    return false;
  const LONG r = RegQueryValueExW(k, W(name).c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

bool RunsUnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

void SetCurrentUserDword(const std::string& key, const std::string& name, unsigned long value) {
  HKEY k;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, W(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                      nullptr) != ERROR_SUCCESS)
    return;
  const DWORD v = value;
  RegSetValueExW(k, W(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  RegCloseKey(k);
}

bool Screenshot(HWND hwnd, const std::string& pngPath) {
  RECT rc;
  if (!GetWindowRect(hwnd, &rc)) return false;
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
  GdiFlush();
  auto* px = static_cast<uint8_t*>(bits);
  for (int i = 0; i < w * h; ++i) px[i * 4 + 3] = 255;
  const std::string png = test::PngFile(static_cast<uint32_t>(w), static_cast<uint32_t>(h),
                                        test::PngPixels::Bgra, static_cast<const uint8_t*>(bits));
  FILE* f = _wfopen(W(pngPath).c_str(), L"wb");
  const bool ok = f && fwrite(png.data(), 1, png.size(), f) == png.size();
  if (f) fclose(f);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace sk::robot
