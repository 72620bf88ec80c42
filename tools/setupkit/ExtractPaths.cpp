#include "tools/setupkit/ExtractPaths.h"

#include <algorithm>
#include <cstring>

#include "platform/Encoding.h"

namespace sk::cli {

namespace {

bool IsDeviceName(std::string name) {
  auto dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  for (auto& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* n : kNames)
    if (name == n) return true;
  return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) &&
         name[3] >= '0' && name[3] <= '9';
}

// Sanitises one UTF-8 element; empty when nothing usable is left.
std::string CleanElement(const std::string& e) {
  std::string out;
  for (unsigned char c : e) {
    if (c < 0x20 || c == 0x7F || std::strchr("<>:\"|?*", c))
      out += '_';
    else
      out += static_cast<char>(c);
  }
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  if (out.empty()) return out;
  if (IsDeviceName(out)) out.insert(out.begin(), '_');
  return out;
}

std::vector<std::string> SplitUtf8(const std::string& utf8) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : utf8) {
    if (c == '\\' || c == '/') {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  return parts;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string s;
  for (const auto& p : parts) {
    if (!s.empty()) s += '/';
    s += p;
  }
  return s;
}

// The file-name part of a GBK path (after the last "\" or "/" or ":"), in UTF-8.
std::string LastElement(const std::string& gbkPath) {
  std::string utf8 = GbkToUtf8(gbkPath);
  auto pos = utf8.find_last_of("\\/:");
  return pos == std::string::npos ? utf8 : utf8.substr(pos + 1);
}

}  // namespace

std::vector<std::string> SafeElements(const std::string& gbkPath) {
  std::vector<std::string> out;
  for (const auto& e : SplitUtf8(GbkToUtf8(gbkPath))) {
    if (e == "." || e == "..") continue;
    std::string clean = CleanElement(e);
    if (!clean.empty()) out.push_back(std::move(clean));
  }
  return out;
}

std::string SafeName(const std::string& gbkName) {
  std::string clean = CleanElement(LastElement(gbkName));
  if (clean.empty() || clean == "." || clean == "..") return "_";
  return clean;
}

std::optional<std::string> ExtractPathOf(const TCompileFileData& item) {
  std::vector<std::string> parts;
  auto support = [&](const char* sub) { parts = {kSupportFolder, sub}; };
  switch (item.Kind) {
    case kind::File:
      parts = SafeElements(item.TargetDir);
      parts.push_back(SafeName(item.SourcePath));
      break;
    case kind::Folder:
      parts = SafeElements(item.TargetDir);
      for (auto& e : SafeElements(item.Name)) parts.push_back(std::move(e));
      break;
    case kind::RegFile:
      support("Reg");
      parts.push_back(SafeName(item.SourcePath));
      break;
    case kind::CompFile: {
      support("Comp");
      parts.push_back(SafeName(item.Name));
      // The path below the component's source folder when TargetDir is its prefix.
      const std::string& dir = item.TargetDir;
      bool prefixed = !dir.empty() && item.SourcePath.size() > dir.size() &&
                      SameTextAscii(item.SourcePath.substr(0, dir.size()), dir);
      if (prefixed) {
        auto rest = SafeElements(item.SourcePath.substr(dir.size()));
        if (rest.empty()) rest.push_back("_");
        for (auto& e : rest) parts.push_back(std::move(e));
      } else {
        parts.push_back(SafeName(item.SourcePath));
      }
      break;
    }
    case kind::PageFile:
      support("Info");
      parts.push_back(SafeName(item.SourcePath));
      break;
    case kind::Uninstaller:
      support("Uninstaller");
      parts.push_back(SafeName(item.SourcePath));
      break;
    default:
      return std::nullopt;
  }
  if (parts.empty()) parts.push_back("_");
  return Join(parts);
}

}  // namespace sk::cli
