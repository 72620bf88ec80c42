#include "platform/SystemHelpers.h"

#include <cfenv>
#include <cmath>

#include "platform/Platform.texts.h"

namespace sk {

namespace {

constexpr size_t kTempPathBuffer = 260;     // bytes, terminator included
constexpr size_t kWindowsPathBuffer = 256;  // bytes, terminator included

// "0.00" formatting of a non-negative fixed-point value with four decimals: the third and
// fourth decimals round half away from zero.
std::string FormatFixed4(int64_t tenThousandths) {
  int64_t hundredths = (tenThousandths + 50) / 100;
  std::string frac = std::to_string(hundredths % 100);
  if (frac.size() < 2) frac.insert(0, 1, '0');
  return std::to_string(hundredths / 100) + "." + frac;
}

std::string FormatUnit(int64_t n, int64_t divisor, const char* unit) {
  long double q = static_cast<long double>(n) / static_cast<long double>(divisor);
  // nearbyint follows the current rounding mode; the default one rounds ties to even.
  int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  long double scaled = std::nearbyint(q * 10000.0L);
  std::fesetround(saved);
  return FormatFixed4(static_cast<int64_t>(scaled)) + unit;
}

}  // namespace

std::string GetSpecialFolder(Platform& p, int csidl) {
  return p.GetSpecialFolderPath(csidl);
}

std::string GetProgramFilesFolder(Platform& p) {
  return GetSpecialFolder(p, csidl::ProgramFiles);
}

std::string GetTempFolder(Platform& p) {
  std::string path = p.GetTempPath();
  if (size_t nul = path.find('\0'); nul != std::string::npos) path.resize(nul);
  if (path.empty()) throw Error("Cannot determine the temporary folder");
  if (path.back() != '\\') path += '\\';
  if (path.size() >= kTempPathBuffer) {
    throw Error(platform_text::kTempPathTooLong + path);
  }
  return path;
}

std::string GetWindowsFolder(Platform& p) {
  std::string path = p.GetWindowsDirectory();
  if (size_t nul = path.find('\0'); nul != std::string::npos) path.resize(nul);
  // A path that does not fit the buffer is not copied into it: the result is empty.
  if (path.size() >= kWindowsPathBuffer) return {};
  return path;
}

std::string SystemProgramPath(Platform& p, SystemHome home, const std::string& fileName) {
  std::string folder =
      home == SystemHome::WindowsFolder ? p.GetWindowsDirectory() : p.GetSystemDirectory();
  if (size_t nul = folder.find('\0'); nul != std::string::npos) folder.resize(nul);
  if (folder.empty() || folder.size() >= kWindowsPathBuffer) return {};
  return folder + "\\" + fileName;
}

std::string QuoteProgramPath(const std::string& path) {
  if (path.find_first_of(" \t") == std::string::npos) return path;
  return "\"" + path + "\"";
}

std::string GetOsVersionCode(Platform& p) {
  std::optional<OsVersion> v = p.GetVersion();
  if (!v) return "0";
  switch (v->platformId) {
    case 0:
      return "1";
    case 1:
      return "2";
    case 2:
      return std::to_string(v->major) + "." + std::to_string(v->minor);
    default:
      return "0";
  }
}

int64_t GetFreeSpace(Platform& p, char drive) {
  unsigned char c = static_cast<unsigned char>(drive);
  std::string root;
  if (c == '@') {
    // Drive number 0: the drive of the current folder.
    std::string cur = p.CurrentDirectory();
    if (cur.size() < 2 || cur[1] != ':') return -1;
    unsigned char letter = static_cast<unsigned char>(cur[0]);
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) return -1;
    root = cur.substr(0, 2) + "\\";
  } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
    root = std::string(1, drive) + ":\\";
  } else {
    return -1;
  }
  int64_t free = p.GetDiskFreeSpace(root);
  return free < 0 ? -1 : free;
}

std::string FormatSize(int64_t n) {
  constexpr int64_t kKB = 1024, kMB = 1024 * kKB, kGB = 1024 * kMB;
  if (n > kGB) return FormatUnit(n, kGB, "GB");
  if (n > kMB) return FormatUnit(n, kMB, "MB");
  if (n > kKB) return FormatUnit(n, kKB, "KB");
  return std::to_string(n);
}

void ClearAttributes(Platform& p, const std::string& path) {
  p.SetFileAttributes(path, attr::Normal);
}

}  // namespace sk
