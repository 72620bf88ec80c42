#include "ui/FolderSearch.h"

#include "package/Compile.h"
#include "ui/ChoicePaths.h"

namespace sk {

namespace {
bool IsSeparatorBlank(char c) {
  return c >= 1 && c <= ' ';
}
}  // namespace

std::vector<std::string> SplitSearchKeys(const std::string& text) {
  std::vector<std::string> items;
  const size_t end = std::min(text.find('\0'), text.size());
  size_t p = 0;
  auto skipBlanks = [&] {
    while (p < end && IsSeparatorBlank(text[p])) ++p;
  };
  skipBlanks();
  while (p < end) {
    std::string item;
    if (text[p] == '"') {
      // A quoted item runs to the next single quote; a doubled quote stands for one.
      ++p;
      while (p < end) {
        if (text[p] == '"') {
          if (p + 1 < end && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      const size_t start = p;
      while (p < end && !IsSeparatorBlank(text[p]) && text[p] != ',') ++p;
      item = text.substr(start, p - start);
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < end && text[p] == ',') {
      if (p + 1 == end) items.emplace_back();
      do {
        ++p;
      } while (p < end && IsSeparatorBlank(text[p]));
    }
  }
  return items;
}

FolderSearch::FolderSearch(Platform& platform, const std::vector<std::string>& names,
                           FolderSearchControl control)
    : platform_(platform), control_(std::move(control)) {
  for (const std::string& name : names)
    if (!name.empty()) names_.insert(LowerAscii(name));
  if (control_.pumpEvery == 0) control_.pumpEvery = 1;
}

std::string FolderSearch::FindInstallFolder(const std::string& folder) {
  if (names_.empty() || stats_.stopped) return {};
  return Find(StripTrailingBackslash(folder), 0);
}

std::string FolderSearch::SearchFixedDrives() {
  if (names_.empty()) return {};
  for (const std::string& root : GetFixedDrives(platform_)) {
    std::string found = FindInstallFolder(root);
    if (!found.empty() || stats_.stopped) return found;
  }
  return {};
}

bool FolderSearch::Tick() {
  ++stats_.entries;
  if (control_.maxEntries != 0 && stats_.entries > control_.maxEntries) {
    stats_.stopped = true;
    return false;
  }
  if (stats_.entries % control_.pumpEvery == 0) {
    if (control_.pump) control_.pump();
    if (control_.cancelled && control_.cancelled()) {
      stats_.stopped = true;
      return false;
    }
  }
  return true;
}

std::string FolderSearch::Find(const std::string& folder, int depth) {
  std::vector<std::string> entries;
  try {
    entries = platform_.ListDirectory(folder + "\\");
  } catch (const Error&) {
    return {};  // a folder that cannot be listed holds nothing for the search
  }
  ++stats_.listings;
  for (const std::string& name : entries) {
    if (!Tick()) return {};
    const std::string path = folder + "\\" + name;
    const uint32_t attributes = platform_.GetFileAttributes(path);
    if (attributes == attr::Invalid) continue;
    if (attributes & attr::Directory) {
      if ((attributes & attr::ReparsePoint) || depth >= control_.maxDepth) continue;
      std::string found = Find(path, depth + 1);
      if (!found.empty() || stats_.stopped) return found;
    } else if (names_.count(LowerAscii(name))) {
      return folder;
    }
  }
  return {};
}

}  // namespace sk
