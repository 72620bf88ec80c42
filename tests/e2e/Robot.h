// A small Win32 test robot for driving Setup.exe from a test: start the program, find its
// windows by class and caption, read control texts, click buttons and answer message boxes
// through messages, wait for states with timeouts, and save screenshots as PNG files.
//
// Texts are GBK (converted to UTF-16 at the Win32 calls). Every wait takes a timeout in
// milliseconds and returns a null result / false when it expires; nothing here waits forever.
//
// This header does not include <windows.h> (whose A/W macros would rename Platform members in
// the tests that include both); windows are plain HWND values.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct HWND__;

namespace sk::robot {

using HWND = HWND__*;
using DWORD = unsigned long;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// A started process; killed (if still running) and its handles closed on destruction.
// `arguments` follow the quoted program path on the command line.
class Process {
 public:
  Process(const std::string& exePath, const std::string& workDir,
          const std::string& arguments = "");
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD Id() const { return pid_; }
  bool WaitExit(int timeoutMs);  // true when it ended in time
  DWORD ExitCode() const;
  bool Running() const;
  // Ends the process at once (TerminateProcess, as the task manager does) and waits for it.
  void Kill();

 private:
  void* process_ = nullptr;
  DWORD pid_ = 0;
};

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs = 50);

// Visible top-level windows of the process, optionally filtered by exact class name.
std::vector<HWND> TopWindows(DWORD pid, const std::string& className = "");
// Waits for a visible top-level window of the process with this class name whose caption
// contains `captionPart` (empty: any caption).
HWND WaitWindow(DWORD pid, const std::string& className, const std::string& captionPart,
                int timeoutMs);
HWND WaitMessageBox(DWORD pid, int timeoutMs);

std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);
// Direct children with this class name, in Z order.
std::vector<HWND> Children(HWND parent, const std::string& className);

// All descendants (children, their children, ...) with this class name; every class when empty.
std::vector<HWND> Descendants(HWND parent, const std::string& className);
// The visible descendant of this class name, or nullptr.
HWND VisibleDescendant(HWND parent, const std::string& className);
// The descendant push button whose text is exactly `text`, or nullptr.
HWND ButtonWithText(HWND parent, const std::string& text);
bool IsVisible(HWND hwnd);
bool IsEnabled(HWND hwnd);
// The size of the client area in device pixels.
void ClientSize(HWND hwnd, int& width, int& height);
HWND Desktop();

struct MessageBoxContent {
  std::string caption;
  std::string text;
};
MessageBoxContent ReadMessageBox(HWND box);
// Presses the button with this id (IDOK, IDYES, IDNO, ...) of a dialog or message box.
bool PressDialogButton(HWND dialog, int id);
// Clicks a push button or check box through BM_CLICK.
void Click(HWND button);
// Replaces the text of an edit (WM_SETTEXT), which notifies its owner as typing does.
void SetText(HWND edit, const std::string& text);
// Posts a key press (WM_KEYDOWN, WM_KEYUP) of the virtual key to the window, as the keyboard
// would deliver it to the focused control.
void PressKey(HWND hwnd, int virtualKey);
constexpr int kKeyReturn = 0x0D;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeySpace = 0x20;
constexpr int kKeyHome = 0x24;
constexpr int kKeyDown = 0x28;
// Whether a check box is checked (BM_GETCHECK).
bool IsChecked(HWND checkBox);

// A list view with check boxes: the number of rows and whether a row is checked.
int ListRowCount(HWND list);
bool ListRowChecked(HWND list, int row);

// A tree view: its nodes are opaque values of the tree's own process.
using TreeNode = void*;
// The children of `node` in display order (the top-level nodes for nullptr). Only nodes the
// tree has listed are seen: a node's children after it has been expanded.
std::vector<TreeNode> TreeChildren(HWND tree, TreeNode node);
// Selects the node as a click would (the tree notifies its owner of the change).
void TreeSelect(HWND tree, TreeNode node);

// Moves a top-level window so that its top-left corner is at (x, y) on the screen.
void MoveTo(HWND hwnd, int x, int y);
// Asks the window to close (WM_CLOSE), as its close box would.
void PostClose(HWND hwnd);
// Removes a key of HKEY_LOCAL_MACHINE with everything below it, or one value of a key.
void DeleteMachineKey(const std::string& key);
void DeleteMachineValue(const std::string& key, const std::string& name);
// Whether HKEY_LOCAL_MACHINE\KEY holds value NAME in the 64-bit or the 32-bit registry view.
enum class RegView { Bits32, Bits64 };
bool MachineValueInView(const std::string& key, const std::string& name, RegView view);
// True in a 32-bit program on a 64-bit Windows (WoW64).
bool RunsUnderWow64();
// Writes a REG_DWORD value under HKEY_CURRENT_USER (the key is created when missing).
void SetCurrentUserDword(const std::string& key, const std::string& name, unsigned long value);

// Saves what the window shows (frame included) as a PNG file; false when it fails.
bool Screenshot(HWND hwnd, const std::string& pngPath);

}  // namespace sk::robot
