#include "tools/setupkit/PackageNotation.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>

namespace sk::cli {

namespace {

constexpr const char* kProgramFilesPrefix = "目标计算机\\Program Files\\";
constexpr const char* kWindowsPrefix = "目标计算机\\Windows\\";
constexpr const char* kComputer = "目标计算机";
constexpr const char* kFolderPrefix = "指定目录\\";

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool StartsWithWord(const std::string& s, const std::string& lowerWord) {
  return Lower(s.substr(0, lowerWord.size())) == lowerWord &&
         (s.size() == lowerWord.size() || s[lowerWord.size()] == '\\');
}

// The folder path after the first `n` bytes of `target`: no leading or trailing separators, and
// no empty, "." or ".." element.
std::string FolderBelow(const std::string& s, size_t n, const std::string& target) {
  std::string r = s.substr(n);
  while (!r.empty() && r.front() == '\\') r.erase(r.begin());
  while (!r.empty() && r.back() == '\\') r.pop_back();
  for (size_t i = 0; i <= r.size();) {
    size_t j = r.find('\\', i);
    if (j == std::string::npos) j = r.size();
    const std::string el = r.substr(i, j - i);
    if (el == "." || el == ".." || (el.empty() && j < r.size()))
      throw std::invalid_argument("target '" + target + "' has an empty, '.' or '..' folder name");
    i = j + 1;
  }
  return r;
}

}  // namespace

std::string TargetNotation(const std::string& target, bool forFolderItem) {
  std::string s = target;
  if (s.rfind(kComputer, 0) == 0 || s.rfind(kFolderPrefix, 0) == 0)
    return s;  // already in package notation
  std::replace(s.begin(), s.end(), '/', '\\');
  std::string prefix, rest;
  if (StartsWithWord(s, "{app}")) {
    prefix = kProgramFilesPrefix;
    rest = FolderBelow(s, 5, target);
  } else if (StartsWithWord(s, "{windows}")) {
    prefix = kWindowsPrefix;
    rest = FolderBelow(s, 9, target);
  } else if (s.size() >= 3 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':' &&
             s[2] == '\\') {
    prefix = kFolderPrefix;
    rest = s.substr(0, 2) + "\\" + FolderBelow(s, 3, target);
    if (rest.back() == '\\') rest.pop_back();
  } else {
    throw std::invalid_argument("target '" + target +
                                "' must begin with {app}, {windows} or a drive (D:/...)");
  }
  std::string full = prefix + rest;
  // A folder item is TargetDir + "\" + Name, so its TargetDir carries no trailing backslash.
  if (forFolderItem && rest.empty()) full.pop_back();
  return full;
}

std::string KeyNotation(const std::string& key) {
  std::string s = key;
  if (s.rfind(std::string(kComputer) + "\\", 0) == 0)
    s = s.substr(std::string(kComputer).size() + 1);
  const size_t cut = s.find('\\');
  static const std::map<std::string, std::string> kRoots = {
      {"hkcr", "HKEY_CLASSES_ROOT"},   {"hkey_classes_root", "HKEY_CLASSES_ROOT"},
      {"hkcu", "HKEY_CURRENT_USER"},   {"hkey_current_user", "HKEY_CURRENT_USER"},
      {"hklm", "HKEY_LOCAL_MACHINE"},  {"hkey_local_machine", "HKEY_LOCAL_MACHINE"},
      {"hku", "HKEY_USERS"},           {"hkey_users", "HKEY_USERS"},
      {"hkcc", "HKEY_CURRENT_CONFIG"}, {"hkey_current_config", "HKEY_CURRENT_CONFIG"}};
  auto it = kRoots.find(Lower(s.substr(0, cut)));
  if (it == kRoots.end())
    throw std::invalid_argument(
        "registry key '" + key +
        "' must begin with a root key (HKEY_LOCAL_MACHINE, HKLM, HKEY_CURRENT_USER, ...)");
  std::string path = cut == std::string::npos ? "" : s.substr(cut + 1);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return std::string(kComputer) + "\\" + it->second + (path.empty() ? "" : "\\" + path);
}

namespace {
const char* ShortcutRoot(const std::string& place) {
  return place == "start_menu"     ? "开始菜单"
         : place == "desktop"      ? "桌面"
         : place == "quick_launch" ? "快速启动栏"
                                   : nullptr;
}
}  // namespace

bool IsShortcutPlace(const std::string& place) {
  return ShortcutRoot(place) != nullptr;
}

std::string ShortcutFolderNotation(const std::string& place, const std::string& folder) {
  const char* root = ShortcutRoot(place);
  if (!root)
    throw std::invalid_argument("place '" + place +
                                "' must be start_menu, desktop or quick_launch");
  std::string sub = folder;
  std::replace(sub.begin(), sub.end(), '/', '\\');
  while (!sub.empty() && sub.front() == '\\') sub.erase(sub.begin());
  while (!sub.empty() && sub.back() == '\\') sub.pop_back();
  if (sub.find("..") != std::string::npos)
    throw std::invalid_argument("shortcut folder must not contain '..'");
  return std::string(root) + "\\" + sub;
}

}  // namespace sk::cli
