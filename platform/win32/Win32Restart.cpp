// Win32Platform: replacing a file when the machine next restarts.
//
// ReplaceFileAtRestart hands the pair to MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT (and
// MOVEFILE_REPLACE_EXISTING); the system appends it to the PendingFileRenameOperations value
// under HKLM\SYSTEM\CurrentControlSet\Control\Session Manager, which only an administrator may
// write. CancelReplaceAtRestart edits that value directly: it is a REG_MULTI_SZ of pairs,
// source "\??\C:\dir\file" then target ("!" first when it replaces an existing file, "" for a
// deletion), and the pairs whose source is the given file are dropped; the value is deleted when
// no pair is left. Nothing here throws.
#include <cwchar>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

namespace sk {

using namespace win32;

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";
constexpr wchar_t kNtPrefix[] = L"\\??\\";
// The value may be large on a machine with many pending updates, but never this large.
constexpr DWORD kMaxValueBytes = 16u << 20;

// The strings of a REG_MULTI_SZ value, empty ones included (a deletion's target is ""), up to
// the terminating empty string after the last pair.
std::vector<std::wstring> MultiStrings(const std::vector<wchar_t>& data) {
  std::vector<std::wstring> strings;
  size_t at = 0;
  while (at < data.size()) {
    size_t end = at;
    while (end < data.size() && data[end] != L'\0') ++end;
    strings.emplace_back(data.data() + at, end - at);
    at = end + 1;
  }
  // A list of pairs ends with the final empty string; drop it (and any padding) when unpaired.
  if (strings.size() % 2 == 1 && strings.back().empty()) strings.pop_back();
  return strings;
}

bool SameSource(const std::wstring& entry, const std::wstring& source) {
  const size_t prefix = entry.rfind(kNtPrefix, 0) == 0 ? 4 : 0;
  return _wcsicmp(entry.c_str() + prefix, source.c_str()) == 0;
}

}  // namespace

bool Win32Platform::ReplaceFileAtRestart(const std::string& source, const std::string& target) {
  return MoveFileExW(Wide(source).c_str(), Wide(target).c_str(),
                     MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

bool Win32Platform::CancelReplaceAtRestart(const std::string& source) {
  RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0,
                    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExW(key.get(), kPendingRenames, nullptr, &type, nullptr, &size);
  if (rc == ERROR_FILE_NOT_FOUND) return true;
  if (rc != ERROR_SUCCESS || type != REG_MULTI_SZ || size > kMaxValueBytes) return false;
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
  rc = RegQueryValueExW(key.get(), kPendingRenames, nullptr, &type,
                        reinterpret_cast<BYTE*>(data.data()), &size);
  if (rc != ERROR_SUCCESS) return false;
  data.resize(size / sizeof(wchar_t));

  const std::wstring wide = Wide(source);
  const std::vector<std::wstring> strings = MultiStrings(data);
  std::vector<wchar_t> kept;
  bool dropped = false;
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (SameSource(strings[i], wide)) {
      dropped = true;
      continue;
    }
    for (size_t j = i; j < i + 2; ++j) {
      kept.insert(kept.end(), strings[j].begin(), strings[j].end());
      kept.push_back(L'\0');
    }
  }
  if (!dropped) return true;
  if (kept.empty()) return RegDeleteValueW(key.get(), kPendingRenames) == ERROR_SUCCESS;
  kept.push_back(L'\0');
  return RegSetValueExW(key.get(), kPendingRenames, 0, REG_MULTI_SZ,
                        reinterpret_cast<const BYTE*>(kept.data()),
                        static_cast<DWORD>(kept.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace sk
