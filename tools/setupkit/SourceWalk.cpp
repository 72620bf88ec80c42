#include "tools/setupkit/SourceWalk.h"

#include <algorithm>
#include <stdexcept>

#include "tools/setupkit/HostFiles.h"

namespace sk::cli {

namespace fs = std::filesystem;

bool GlobMatch(std::string_view p, std::string_view s) {
  size_t pi = 0, si = 0, starP = std::string_view::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == s[si])) {
      ++pi;
      ++si;
    } else if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starS = si;
    } else if (starP != std::string_view::npos) {
      pi = starP + 1;
      si = ++starS;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

namespace {

bool HasWildcard(const std::string& s) {
  return s.find_first_of("*?") != std::string::npos;
}

std::string Name(const fs::path& p) {
  return HostPathText(p.filename());
}

// Directory entries sorted by name; folders that are symbolic links are reported as neither.
struct Entry {
  fs::path path;
  std::string name;
  bool dir = false;
  bool file = false;
};

std::vector<Entry> List(const fs::path& dir) {
  std::vector<Entry> out;
  for (const auto& de : fs::directory_iterator(dir)) {
    Entry e{de.path(), Name(de.path())};
    std::error_code ec;
    auto lst = fs::symlink_status(de.path(), ec);
    if (fs::is_directory(lst)) {
      e.dir = true;
    } else {
      e.file = fs::is_regular_file(fs::status(de.path(), ec));
    }
    out.push_back(std::move(e));
  }
  std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return out;
}

void Walk(const fs::path& dir, const std::string& rel, bool recursive,
          std::vector<FoundFile>& out) {
  for (const auto& e : List(dir)) {
    std::string r = rel.empty() ? e.name : rel + "/" + e.name;
    if (e.file)
      out.push_back({e.path, r, static_cast<int64_t>(fs::file_size(e.path))});
    else if (e.dir && recursive)
      Walk(e.path, r, recursive, out);
  }
}

// Matches the remaining pattern elements below `dir`.
void Match(const fs::path& dir, const std::string& rel, const std::vector<std::string>& parts,
           size_t i, bool recursive, std::vector<FoundFile>& out) {
  if (i == parts.size()) return;
  const std::string& part = parts[i];
  bool last = i + 1 == parts.size();
  if (part == "**") {
    Match(dir, rel, parts, i + 1, recursive, out);  // zero folders
    for (const auto& e : List(dir))
      if (e.dir) Match(e.path, rel.empty() ? e.name : rel + "/" + e.name, parts, i, recursive, out);
    return;
  }
  for (const auto& e : List(dir)) {
    if (!GlobMatch(part, e.name)) continue;
    std::string r = rel.empty() ? e.name : rel + "/" + e.name;
    if (last) {
      if (e.file)
        out.push_back({e.path, r, static_cast<int64_t>(fs::file_size(e.path))});
      else if (e.dir)
        Walk(e.path, r, recursive, out);
    } else if (e.dir) {
      Match(e.path, r, parts, i + 1, recursive, out);
    }
  }
}

bool Excluded(const FoundFile& f, const std::vector<std::string>& excludes) {
  std::string name = f.rel.substr(f.rel.find_last_of('/') + 1);
  for (const auto& x : excludes)
    if (GlobMatch(x, name) || GlobMatch(x, f.rel)) return true;
  return false;
}

}  // namespace

std::vector<FoundFile> WalkFolder(const fs::path& dir, bool recursive) {
  std::vector<FoundFile> out;
  Walk(fs::absolute(dir).lexically_normal(), "", recursive, out);
  return out;
}

std::vector<FoundFile> ExpandSource(const fs::path& base, const std::string& pattern,
                                    bool recursive, const std::vector<std::string>& excludes) {
  std::string norm = pattern;
  std::replace(norm.begin(), norm.end(), '\\', '/');
  fs::path full = fs::absolute(base / HostPath(norm)).lexically_normal();
  std::vector<FoundFile> out;
  if (!HasWildcard(norm)) {
    std::error_code ec;
    auto st = fs::status(full, ec);
    if (fs::is_regular_file(st)) {
      out.push_back({full, Name(full), static_cast<int64_t>(fs::file_size(full))});
    } else if (fs::is_directory(st)) {
      Walk(full, "", recursive, out);
    } else {
      throw std::runtime_error("no such file or folder: " + HostPathText(full));
    }
  } else {
    // Split into the literal base folder and the pattern elements below it.
    fs::path root = full.root_path();
    std::vector<std::string> parts;
    bool wild = false;
    for (const auto& el : full.relative_path()) {
      std::string s = HostPathText(el);
      if (s.empty()) continue;
      if (!wild && !HasWildcard(s))
        root /= el;
      else {
        wild = true;
        parts.push_back(s);
      }
    }
    std::error_code ec;
    if (!fs::is_directory(root, ec))
      throw std::runtime_error("no such folder: " + HostPathText(root));
    Match(root, "", parts, 0, recursive, out);
    std::sort(out.begin(), out.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.rel < b.rel; });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const FoundFile& a, const FoundFile& b) { return a.rel == b.rel; }),
              out.end());
  }
  std::erase_if(out, [&](const FoundFile& f) { return Excluded(f, excludes); });
  if (out.empty()) throw std::runtime_error("'" + pattern + "' matches no file");
  return out;
}

}  // namespace sk::cli
