#include "app/uninst/SelfRemoval.h"

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"
// after the Windows headers
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "engine/SelfRemovalCheck.h"
#include "package/Compile.h"

namespace sk::uninst {

namespace {

// Decimal digits of n. std::to_wstring formats through the C library's wide printf, which
// brings the whole formatted-output library (with its floating-point conversions) into the file.
std::wstring Decimal(unsigned long n) {
  wchar_t digits[24];
  wchar_t* p = digits + 24;
  do {
    *--p = static_cast<wchar_t>(L'0' + n % 10);
    n /= 10;
  } while (n != 0);
  return std::wstring(p, digits + 24);
}

std::wstring Quoted(const std::wstring& s) {
  return L"\"" + s + L"\"";
}

constexpr int kCleanupRefused = 2;
constexpr DWORD kWaitForUninstallerMs = 60000;
constexpr DWORD kWaitForCopyMs = 15000;

// The event by which the copy tells the uninstaller with process id `pid` that it has looked at
// the running process: until then the uninstaller must not end (an ended process can no longer
// be shown to run from the file, and the copy would refuse to remove anything).
std::wstring ReadyEventName(unsigned long pid) {
  return L"Local\\sk-uninst-cleanup-" + Decimal(pid);
}

// The full path of the program a process runs; "" when it cannot be asked.
std::string ImageOf(HANDLE process) {
  std::vector<wchar_t> buf(32768);
  DWORD n = static_cast<DWORD>(buf.size());
  if (!QueryFullProcessImageNameW(process, 0, buf.data(), &n)) return {};
  return win32::Narrow(buf.data(), n);
}

// True when both files hold the same bytes; false when either cannot be read.
bool SameBytes(Platform& platform, const std::string& a, const std::string& b) {
  try {
    auto x = platform.OpenRead(a);
    auto y = platform.OpenRead(b);
    if (x->Size() != y->Size()) return false;
    std::vector<char> bx(65536), by(65536);
    for (;;) {
      const size_t nx = x->Read(bx.data(), bx.size());
      const size_t ny = y->Read(by.data(), by.size());
      if (nx != ny || !std::equal(bx.begin(), bx.begin() + nx, by.begin())) return false;
      if (nx == 0) return true;
    }
  } catch (const Error&) {
    return false;
  }
}

bool DeleteAtRestart(const std::wstring& path) {
  return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

// A new folder of our own in the temporary folder, so the copy starts where nobody else has
// placed files (a program loads libraries from its own folder first).
std::wstring PrivateTempFolder() {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return {};
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::wstring folder = std::wstring(temp) + L"sk-uninst-" + Decimal(GetCurrentProcessId()) +
                          L"-" + Decimal(attempt);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

bool StartCopy(const std::wstring& uninstaller, const std::vector<std::wstring>& folders) {
  const std::wstring folder = PrivateTempFolder();
  if (folder.empty()) return false;
  const std::wstring copy = folder + L"\\Uninst.exe";
  if (!CopyFileW(uninstaller.c_str(), copy.c_str(), TRUE)) {
    RemoveDirectoryW(folder.c_str());
    return false;
  }
  std::wstring command =
      Quoted(copy) + L" /cleanup " + Decimal(GetCurrentProcessId()) + L" " + Quoted(uninstaller);
  for (const std::wstring& f : folders) command += L" " + Quoted(f);
  // An event that another program created first is not ours to wait for: then the copy is
  // only given a moment to start.
  win32::Handle ready(
      CreateEventW(nullptr, TRUE, FALSE, ReadyEventName(GetCurrentProcessId()).c_str()));
  if (ready && GetLastError() == ERROR_ALREADY_EXISTS) ready.reset();
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &si, &pi)) {
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
    return false;
  }
  CloseHandle(pi.hThread);
  win32::Handle copyProcess(pi.hProcess);
  // Until the copy has looked at this process, or has ended (it refused), or a while has passed.
  if (ready) {
    HANDLE waits[2] = {ready.get(), copyProcess.get()};
    WaitForMultipleObjects(2, waits, FALSE, kWaitForCopyMs);
  } else {
    WaitForSingleObject(copyProcess.get(), 2000);
  }
  return true;
}

}  // namespace

bool ScheduleSelfRemoval(const std::wstring& uninstaller,
                         const std::vector<std::wstring>& folders) {
  if (StartCopy(uninstaller, folders)) return true;
  bool ok = DeleteAtRestart(uninstaller);
  // Folders are removed at restart only when empty by then.
  for (const std::wstring& f : folders) ok = DeleteAtRestart(f) && ok;
  return ok;
}

int RunCleanup(const std::vector<std::wstring>& args) {
  std::vector<std::string> words;
  for (const std::wstring& a : args) words.push_back(win32::Narrow(a));
  const std::optional<CleanupRequest> request = ParseCleanupWords(words);
  if (!request) return kCleanupRefused;
  Win32Platform platform;
  // The handle keeps the process id from being reused while it is checked and awaited.
  win32::Handle process(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, request->pid));
  CleanupFacts facts;
  facts.self = platform.ExecutablePath();
  facts.tempFolder = platform.GetTempPath();
  facts.selfFolderEntries = platform.ListDirectory(ExtractFilePath(facts.self));
  if (process) facts.processImage = ImageOf(process.get());
  // The uninstaller may end now (see ReadyEventName).
  if (win32::Handle ready(
          OpenEventW(EVENT_MODIFY_STATE, FALSE, ReadyEventName(request->pid).c_str()));
      ready)
    SetEvent(ready.get());
  facts.sameBytes = SameBytes(platform, facts.self, request->file);
  if (!CleanupRefusal(platform, *request, facts).empty()) return kCleanupRefused;
  // The uninstaller has ended, or the file is still in use and left alone.
  if (WaitForSingleObject(process.get(), kWaitForUninstallerMs) != WAIT_OBJECT_0)
    return kCleanupRefused;

  const std::wstring uninstaller = win32::Wide(request->file);
  // The file may stay locked for a moment after its process has ended.
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (DeleteFileW(uninstaller.c_str()) ||
        GetFileAttributesW(uninstaller.c_str()) == INVALID_FILE_ATTRIBUTES)
      break;
    Sleep(100);
  }
  if (GetFileAttributesW(uninstaller.c_str()) != INVALID_FILE_ATTRIBUTES)
    DeleteAtRestart(uninstaller);
  for (const std::string& folder : request->folders)
    if (!RemoveDirectoryW(win32::Wide(folder).c_str())) break;

  // This copy and its private folder go at the next restart.
  const std::wstring me = win32::Wide(facts.self);
  DeleteAtRestart(me);
  DeleteAtRestart(win32::Wide(StripTrailingBackslash(ExtractFilePath(facts.self))));
  return 0;
}

}  // namespace sk::uninst
