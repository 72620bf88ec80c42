#include "app/uninst/SelfRemoval.h"

#include <windows.h>

#include <string>

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
  CloseHandle(pi.hProcess);
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
  if (args.size() < 2) return 2;
  const DWORD pid = static_cast<DWORD>(wcstoul(args[0].c_str(), nullptr, 10));
  if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid)) {
    WaitForSingleObject(process, 60000);
    CloseHandle(process);
  }
  const std::wstring& uninstaller = args[1];
  // The file may stay locked for a moment after its process has ended.
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (DeleteFileW(uninstaller.c_str()) ||
        GetFileAttributesW(uninstaller.c_str()) == INVALID_FILE_ATTRIBUTES)
      break;
    Sleep(100);
  }
  if (GetFileAttributesW(uninstaller.c_str()) != INVALID_FILE_ATTRIBUTES)
    DeleteAtRestart(uninstaller);
  for (size_t i = 2; i < args.size(); ++i)
    if (!RemoveDirectoryW(args[i].c_str())) break;

  // This copy and its private folder go at the next restart.
  wchar_t self[MAX_PATH + 1];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
  if (n > 0 && n <= MAX_PATH) {
    std::wstring me(self, n);
    DeleteAtRestart(me);
    const size_t slash = me.find_last_of(L'\\');
    if (slash != std::wstring::npos) DeleteAtRestart(me.substr(0, slash));
  }
  return 0;
}

}  // namespace sk::uninst
