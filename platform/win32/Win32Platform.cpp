// Win32Platform: the running program, files and folders, system folders and version, the
// registry and shutdown. Processes and the shell are in Win32Shell.cpp, INI files in Win32Ini.cpp.
#include "platform/win32/Win32Platform.h"

#include <ntsecapi.h>

#include <algorithm>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Streams.h"
#include "platform/win32/WinText.h"

namespace sk {

using namespace win32;

namespace {

// Calls fill(buffer, capacity) -> length the way the "returns the size needed when the
// buffer is too small" Win32 queries work, growing the buffer until the text fits.
template <typename Fill>
std::wstring GrowingQuery(Fill fill) {
  std::vector<wchar_t> buf(MAX_PATH + 1);
  for (int tries = 0; tries < 8; ++tries) {
    DWORD n = fill(buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return std::wstring(buf.data(), n);
    buf.resize(static_cast<size_t>(n) + 1);
  }
  return {};
}

DWORD Attributes(const std::wstring& path) {
  return GetFileAttributesW(path.c_str());
}

bool IsDirectory(const std::wstring& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectoriesW(const std::wstring& raw) {
  std::wstring path = StripTrailingSeparators(raw);
  if (path.empty()) return false;
  if (path.size() == 2 && path[1] == L':') return IsDirectory(path + L'\\');  // a drive
  if (IsDirectory(path)) return true;
  size_t cut = path.find_last_of(L"\\/");
  if (cut != std::wstring::npos && cut > 0) {
    std::wstring parent = path.substr(0, cut);
    // "\\server\share" has no creatable parent; let CreateDirectory report it.
    if (parent.find_first_not_of(L"\\/") != std::wstring::npos && !ForceDirectoriesW(parent))
      return false;
  }
  return CreateDirectoryW(path.c_str(), nullptr) || IsDirectory(path);
}

FILETIME ToFileTime(int64_t v) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(v) & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(v) >> 32);
  return ft;
}

int64_t FromFileTime(const FILETIME& ft) {
  return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

// Opens a file or folder only to read or change its attributes and times, sharing everything.
FileHandle OpenForAttributes(const std::string& path, DWORD access) {
  return FileHandle(CreateFileW(Wide(path).c_str(), access,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace

// ---- the running program ----

std::string Win32Platform::ExecutablePath() {
  std::vector<wchar_t> buf(MAX_PATH + 1);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return Narrow(buf.data(), n);
    if (buf.size() > 32768) return {};
    buf.resize(buf.size() * 2);
  }
}

std::string Win32Platform::CurrentDirectory() {
  return Narrow(StripTrailingSeparators(
      GrowingQuery([](wchar_t* b, DWORD n) { return GetCurrentDirectoryW(n, b); })));
}

void Win32Platform::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit request for the program's own message loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// ---- files and folders ----

bool Win32Platform::FileExists(const std::string& path) {
  DWORD a = Attributes(Wide(path));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Platform::DirectoryExists(const std::string& path) {
  return IsDirectory(Wide(path));
}

bool Win32Platform::CreateDirectory(const std::string& path) {
  return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

bool Win32Platform::ForceDirectories(const std::string& path) {
  return ForceDirectoriesW(Wide(path));
}

std::unique_ptr<InputStream> Win32Platform::OpenRead(const std::string& path) {
  return OpenFileForRead(path);
}

std::unique_ptr<OutputStream> Win32Platform::CreateFile(const std::string& path) {
  return CreateFileForWrite(path);
}

bool Win32Platform::DeleteFile(const std::string& path) {
  return DeleteFileW(Wide(path).c_str()) != 0;
}

bool Win32Platform::RemoveDirectory(const std::string& path) {
  return RemoveDirectoryW(Wide(path).c_str()) != 0;
}

uint32_t Win32Platform::GetFileAttributes(const std::string& path) {
  return Attributes(Wide(path));
}

bool Win32Platform::SetFileAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesW(Wide(path).c_str(), attributes) != 0;
}

std::optional<int64_t> Win32Platform::GetFileWriteTime(const std::string& path) {
  FileHandle h = OpenForAttributes(path, FILE_READ_ATTRIBUTES);
  FILETIME ft;
  if (!h || !GetFileTime(h.get(), nullptr, nullptr, &ft)) return std::nullopt;
  return FromFileTime(ft);
}

bool Win32Platform::SetFileWriteTime(const std::string& path, int64_t utcFileTime) {
  FileHandle h = OpenForAttributes(path, FILE_WRITE_ATTRIBUTES);
  FILETIME ft = ToFileTime(utcFileTime);
  return h && SetFileTime(h.get(), nullptr, nullptr, &ft);
}

std::optional<int64_t> Win32Platform::LocalFileTimeToUtc(int64_t localFileTime) {
  FILETIME local = ToFileTime(localFileTime), utc;
  if (!LocalFileTimeToFileTime(&local, &utc)) return std::nullopt;
  return FromFileTime(utc);
}

std::optional<int64_t> Win32Platform::LocalNow() {
  FILETIME utc, local;
  GetSystemTimeAsFileTime(&utc);
  if (!FileTimeToLocalFileTime(&utc, &local)) return std::nullopt;
  return FromFileTime(local);
}

bool Win32Platform::CopyFileIfAbsent(const std::string& from, const std::string& to) {
  return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), TRUE) != 0;
}

std::unique_ptr<FileHold> Win32Platform::HoldFile(const std::string& path) {
  return HoldFileOpen(path);
}

std::vector<std::string> Win32Platform::ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  std::wstring pattern = StripTrailingSeparators(Wide(path)) + L"\\*";
  WIN32_FIND_DATAW fd;
  FindHandle find(FindFirstFileW(pattern.c_str(), &fd));
  if (!find) return names;
  do {
    std::wstring_view n(fd.cFileName);
    if (n == L"." || n == L"..") continue;
    names.push_back(Narrow(fd.cFileName));
  } while (FindNextFileW(find.get(), &fd));
  return names;
}

int64_t Win32Platform::GetDiskFreeSpace(const std::string& root) {
  ULARGE_INTEGER avail;
  if (!GetDiskFreeSpaceExW(Wide(root).c_str(), &avail, nullptr, nullptr)) return -1;
  return static_cast<int64_t>(avail.QuadPart);
}

std::string Win32Platform::GetFixedDrives() {
  std::string drives;
  DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
    if (GetDriveTypeW(root) == DRIVE_FIXED) drives += static_cast<char>('A' + i);
  }
  return drives;
}

// ---- system folders and version ----

std::string Win32Platform::GetSpecialFolderPath(int csidl) {
  CoTaskMem<ITEMIDLIST> pidl;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, pidl.put())) || !pidl.get()) return {};
  wchar_t buf[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(pidl.get(), buf)) return {};
  return Narrow(StripTrailingSeparators(buf));
}

std::string Win32Platform::LongPathName(const std::string& path) {
  const std::wstring w = Wide(path);
  // GetLongPathName fails for a path that does not exist: expand the longest existing prefix
  // and keep the elements below it as given. The bare drive ("C:") is never asked about, as it
  // would name the drive's current folder.
  size_t end = w.size();
  while (end > 2) {
    const std::wstring prefix = w.substr(0, end);
    const std::wstring expanded =
        GrowingQuery([&](wchar_t* b, DWORD n) { return GetLongPathNameW(prefix.c_str(), b, n); });
    if (!expanded.empty()) return Narrow(expanded + w.substr(end));
    const size_t slash = w.find_last_of(L"\\/", end - 1);
    if (slash == std::wstring::npos) break;
    end = slash;
  }
  return path;
}

std::string Win32Platform::GetTempPath() {
  return Narrow(GrowingQuery([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); }));
}

std::string Win32Platform::GetWindowsDirectory() {
  return Narrow(StripTrailingSeparators(
      GrowingQuery([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); })));
}

std::string Win32Platform::GetSystemDirectory() {
  return Narrow(StripTrailingSeparators(
      GrowingQuery([](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); })));
}

std::optional<OsVersion> Win32Platform::GetVersion() {
  OSVERSIONINFOW vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&vi)) return std::nullopt;
#pragma GCC diagnostic pop
  return OsVersion{vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion, vi.dwBuildNumber};
}

// ---- registry ----

std::unique_ptr<RegistryKey> Win32Platform::OpenKey(RegRoot root, const std::string& subKey,
                                                    bool create) {
  return OpenRegistryKey(root, subKey, create);
}

bool Win32Platform::KeyExists(RegRoot root, const std::string& subKey) {
  return RegistryKeyExists(root, subKey);
}

bool Win32Platform::CreateKey(RegRoot root, const std::string& subKey) {
  return OpenRegistryKey(root, subKey, true) != nullptr;
}

bool Win32Platform::DeleteKey(RegRoot root, const std::string& subKey) {
  return DeleteRegistryKey(root, subKey);
}

// ---- shutdown ----

bool Win32Platform::RandomBytes(void* buffer, size_t n) {
  // RtlGenRandom (advapi32), the source behind the C runtime's rand_s.
  auto* out = static_cast<unsigned char*>(buffer);
  while (n > 0) {
    const ULONG part = static_cast<ULONG>(std::min<size_t>(n, 1u << 20));
    if (!RtlGenRandom(out, part)) return false;
    out += part;
    n -= part;
  }
  return true;
}

bool Win32Platform::EnableShutdownPrivilege() {
  Handle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
    return false;
  TOKEN_PRIVILEGES tp{};
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &tp.Privileges[0].Luid)) return false;
  if (!AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr)) return false;
  return GetLastError() == ERROR_SUCCESS;  // ERROR_NOT_ALL_ASSIGNED: privilege not held
}

bool Win32Platform::RequestReboot() {
  return ExitWindowsEx(EWX_REBOOT, 0) != 0;
}

}  // namespace sk
