#include "platform/sandbox/IniProfile.h"

#include <functional>
#include <map>

#include "platform/sandbox/WinPath.h"

namespace sk::sandbox {

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// Position of the single-byte character c (never a trail byte of a GBK character).
size_t FindByte(const std::string& s, char c) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == c) return i;
    if (IsGbkLeadByte(static_cast<unsigned char>(s[i]))) ++i;
  }
  return std::string::npos;
}

// Calls visit(name, value) for every key line of the first section named `section`.
void ForEachKey(const std::string& ini, const std::string& section,
                const std::function<bool(const std::string&, const std::string&)>& visit) {
  std::string wanted = FoldCase(Trim(section));
  bool inSection = false, seen = false;
  size_t start = 0;
  while (start < ini.size()) {
    size_t end = ini.find('\n', start);
    if (end == std::string::npos) end = ini.size();
    std::string line = Trim(ini.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    if (line[0] == '[') {
      if (inSection) return;  // only the first matching section counts
      size_t close = FindByte(line, ']');
      std::string name = Trim(line.substr(1, close == std::string::npos ? line.npos : close - 1));
      inSection = !seen && FoldCase(name) == wanted;
      seen = seen || inSection;
      continue;
    }
    if (!inSection || line[0] == ';') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (!visit(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)))) return;
  }
}

// A value in a matching pair of double or single quotes loses them.
std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

std::vector<std::string> IniKeys(const std::string& ini, const std::string& section) {
  std::vector<std::string> keys;
  ForEachKey(ini, section, [&](const std::string& name, const std::string&) {
    keys.push_back(name);
    return true;
  });
  return keys;
}

std::optional<std::string> IniValue(const std::string& ini, const std::string& section,
                                    const std::string& key) {
  std::optional<std::string> found;
  std::string wanted = FoldCase(Trim(key));
  ForEachKey(ini, section, [&](const std::string& name, const std::string& value) {
    if (FoldCase(name) != wanted) return true;
    found = Unquoted(value);
    return false;
  });
  return found;
}

std::vector<std::pair<std::string, std::string>> IniSection(const std::string& ini,
                                                            const std::string& section) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::map<std::string, size_t> first;  // folded key -> index of its first line
  ForEachKey(ini, section, [&](const std::string& name, const std::string& value) {
    auto [it, added] = first.emplace(FoldCase(name), pairs.size());
    std::string v = added ? Unquoted(value) : pairs[it->second].second;
    pairs.emplace_back(name, std::move(v));
    return true;
  });
  return pairs;
}

}  // namespace sk::sandbox
