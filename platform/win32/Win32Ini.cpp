// Win32Platform: INI files through the profile functions.
//
// The profile functions decode a non-Unicode INI file with the process's ANSI code page, but the
// setup's INI files are GBK. Where that code page is not 936 and the file holds non-ASCII bytes,
// the file is read through a temporary UTF-16 copy (with byte-order mark, which the profile
// functions read as Unicode), so the results are the same on every system.
#include "platform/win32/Win32Platform.h"

#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

namespace sk {

using namespace win32;

namespace {

constexpr size_t kMaxIniBytes = 16u * 1024 * 1024;

// The file the profile functions read: the INI file itself, or its UTF-16 copy (deleted when
// this object ends).
class ProfileFile {
 public:
  explicit ProfileFile(const std::string& iniPath) : path_(Wide(iniPath)) {
    if (GetACP() == 936) return;
    std::string bytes;
    if (!ReadAll(bytes)) return;
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return;
    std::wstring text = L"\xFEFF" + Wide(bytes);
    wchar_t dir[MAX_PATH + 1], name[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, dir);
    if (n == 0 || n > MAX_PATH || !GetTempFileNameW(dir, L"ski", 0, name)) return;
    FileHandle h(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY, nullptr));
    DWORD wrote = 0;
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    bool ok = h && WriteFile(h.get(), text.data(), size, &wrote, nullptr) && wrote == size;
    h.reset();
    if (!ok) {
      DeleteFileW(name);
      return;
    }
    copy_ = name;
  }
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;
  ~ProfileFile() {
    if (!copy_.empty()) DeleteFileW(copy_.c_str());
  }

  const std::wstring& path() const { return copy_.empty() ? path_ : copy_; }

 private:
  bool ReadAll(std::string& out) const {
    FileHandle h(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!h || !GetFileSizeEx(h.get(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) > kMaxIniBytes)
      return false;
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    return ReadFile(h.get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr) &&
           got == out.size();
  }

  std::wstring path_;
  std::wstring copy_;
};

// GetPrivateProfileString into a growing buffer. The call reports a too-small buffer by
// returning capacity - 1 (a value) or capacity - 2 (a list of names).
std::wstring ProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* def,
                           const std::wstring& file) {
  std::vector<wchar_t> buf(1024);
  for (;;) {
    DWORD cap = static_cast<DWORD>(buf.size());
    DWORD n = GetPrivateProfileStringW(section, key, def, buf.data(), cap, file.c_str());
    bool full = key ? n + 1 >= cap : n + 2 >= cap;
    if (!full || buf.size() >= kMaxIniBytes) return std::wstring(buf.data(), n);
    buf.resize(buf.size() * 4);
  }
}

// The key names of a section, in file order.
std::vector<std::wstring> SectionKeys(const std::wstring& section, const ProfileFile& file) {
  std::wstring list = ProfileString(section.c_str(), nullptr, L"", file.path());
  std::vector<std::wstring> keys;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(L'\0', start);
    if (end == std::wstring::npos) end = list.size();
    if (end > start) keys.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return keys;
}

}  // namespace

std::vector<std::string> Win32Platform::IniSectionKeys(const std::string& iniPath,
                                                       const std::string& section) {
  ProfileFile file(iniPath);
  std::vector<std::string> keys;
  for (const std::wstring& k : SectionKeys(Wide(section), file)) keys.push_back(Narrow(k));
  return keys;
}

std::vector<std::pair<std::string, std::string>> Win32Platform::IniSectionValues(
    const std::string& iniPath, const std::string& section) {
  // One profile file (and at most one UTF-16 copy) for the whole section.
  ProfileFile file(iniPath);
  const std::wstring s = Wide(section);
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const std::wstring& k : SectionKeys(s, file)) {
    pairs.emplace_back(Narrow(k), Narrow(ProfileString(s.c_str(), k.c_str(), L"", file.path())));
  }
  return pairs;
}

std::string Win32Platform::IniReadString(const std::string& iniPath, const std::string& section,
                                         const std::string& key, const std::string& def) {
  ProfileFile file(iniPath);
  std::wstring k = Wide(key), d = Wide(def);
  return Narrow(ProfileString(Wide(section).c_str(), k.c_str(), d.c_str(), file.path()));
}

}  // namespace sk
