#include "tools/setupkit/SourceWalk.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/HostFiles.h"

namespace sk::cli {

namespace fs = std::filesystem;

bool GlobMatch(std::string_view p, std::string_view s) {
  // Greedy with one remembered "*": a mismatch retries from the last star one byte further,
  // so the work is at most |p| * |s|.
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

std::string Shown(const fs::path& p) {
  return EscapeControls(HostPathText(p));
}

// Why no Windows file can have this name (control characters and <>:"|?* are refused there,
// so every install of the file would fail); empty when one can.
std::string NameProblem(const fs::path& path, const std::string& utf8) {
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
      return Shown(path) + ": the name holds '" + EscapeControls(std::string(1, c)) +
             "', which no Windows file name can";
  }
  return {};
}

bool Inside(const fs::path& file, const fs::path& folder) {
  const fs::path rel = file.lexically_relative(folder);
  return !rel.empty() && *rel.begin() != "..";
}

// What the entry at `path` is, with lstat's answer `own`: a regular file, a link to one, or
// something that cannot be packed (`problem`).
struct Kind {
  bool dir = false;
  bool file = false;
  std::string problem;
};

Kind Classify(const fs::path& path, fs::file_status own, const std::error_code& ownError,
              const fs::path& folder, const SourceOptions& options) {
  Kind k;
  if (ownError) {
    // A name the host cannot examine (a path longer than it allows): never dropped quietly.
    k.file = true;
    k.problem = Shown(path) + ": cannot be examined (" + ownError.message() + ")";
    return k;
  }
  if (fs::is_directory(own)) {
    k.dir = true;
    return k;
  }
  if (fs::is_regular_file(own)) {
    k.file = true;
    return k;
  }
  if (!fs::is_symlink(own)) {
    k.file = true;
    k.problem = Shown(path) + ": is not a regular file (a FIFO, socket or device)";
    return k;
  }
  std::error_code ec;
  const fs::file_status target = fs::status(path, ec);
  if (fs::is_directory(target) || !fs::exists(target)) return k;  // not followed, as before
  k.file = true;
  const fs::path resolved = fs::canonical(path, ec);
  if (!fs::is_regular_file(target)) {
    k.problem = Shown(path) + ": is a link to " + Shown(resolved) +
                ", which is not a regular file (a FIFO, socket or device)";
  } else if (!options.followLinks && (ec || !Inside(resolved, fs::weakly_canonical(folder, ec)))) {
    k.problem = Shown(path) + ": is a symbolic link to " + Shown(resolved) + ", outside " +
                Shown(folder) + "; build --follow-links packs such files";
  }
  return k;
}

// Directory entries sorted by name.
struct Entry {
  fs::path path;
  std::string name;
  Kind kind;
};

// One source: the folders below `root_` matched against the pattern's elements.
class Walker {
 public:
  Walker(fs::path root, const SourceOptions& options, bool recursive)
      : root_(std::move(root)), options_(options), recursive_(recursive) {}

  std::vector<FoundFile>& out() { return out_; }

  void Add(const Entry& e, const std::string& rel) {
    FoundFile f{e.path, rel, 0, e.kind.problem};
    if (f.problem.empty()) f.problem = NameProblem(e.path, rel);
    if (f.problem.empty()) f.size = static_cast<int64_t>(fs::file_size(e.path));
    out_.push_back(std::move(f));
  }

  // Every file below `dir`; a folder already walked (from another pattern state) adds nothing.
  void Walk(const fs::path& dir, const std::string& rel) {
    if (!walked_.insert(rel).second) return;
    for (const auto& e : List(dir)) {
      std::string r = Join(rel, e.name);
      if (e.kind.file)
        Add(e, r);
      else if (e.kind.dir && recursive_)
        Walk(e.path, r);
    }
  }

  // Matches pattern elements parts[i...] below `dir`; each (folder, element) pair once, so
  // "**" elements spread through the pattern cost a product, not a power, of the tree's size.
  void Match(const fs::path& dir, const std::string& rel, const std::vector<std::string>& parts,
             size_t i) {
    if (i == parts.size() || !matched_.emplace(rel, i).second) return;
    const std::string& part = parts[i];
    const bool last = i + 1 == parts.size();
    if (part == "**") {
      Match(dir, rel, parts, i + 1);  // zero folders
      for (const auto& e : List(dir))
        if (e.kind.dir) Match(e.path, Join(rel, e.name), parts, i);
      return;
    }
    for (const auto& e : List(dir)) {
      if (!GlobMatch(part, e.name)) continue;
      std::string r = Join(rel, e.name);
      if (last) {
        if (e.kind.file)
          Add(e, r);
        else if (e.kind.dir)
          Walk(e.path, r);
      } else if (e.kind.dir) {
        Match(e.path, r, parts, i + 1);
      }
    }
  }

 private:
  static std::string Join(const std::string& rel, const std::string& name) {
    return rel.empty() ? name : rel + "/" + name;
  }

  std::vector<Entry> List(const fs::path& dir) const {
    std::vector<Entry> out;
    for (const auto& de : fs::directory_iterator(dir)) {
      std::error_code ec;
      const fs::file_status own = fs::symlink_status(de.path(), ec);
      out.push_back({de.path(), Name(de.path()), Classify(de.path(), own, ec, root_, options_)});
    }
    std::sort(out.begin(), out.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return out;
  }

  fs::path root_;
  const SourceOptions& options_;
  bool recursive_;
  std::vector<FoundFile> out_;
  std::set<std::string> walked_;
  std::set<std::pair<std::string, size_t>> matched_;
};

bool Excluded(const FoundFile& f, const std::vector<std::string>& excludes) {
  std::string name = f.rel.substr(f.rel.find_last_of('/') + 1);
  for (const auto& x : excludes)
    if (GlobMatch(x, name) || GlobMatch(x, f.rel)) return true;
  return false;
}

void CheckLength(const std::string& pattern) {
  if (pattern.size() > kMaxPatternLength)
    throw std::runtime_error("pattern longer than " + std::to_string(kMaxPatternLength) +
                             " bytes: '" + EscapeControls(pattern.substr(0, 40)) + "...'");
}

}  // namespace

std::string FileProblem(const fs::path& path, const fs::path& folder,
                        const SourceOptions& options) {
  std::error_code ec;
  const fs::file_status own = fs::symlink_status(path, ec);
  Kind k = Classify(path, own, ec, folder, options);
  if (k.dir) return Shown(path) + ": is a folder, not a file";
  if (!k.file) return Shown(path) + ": no such file";
  if (k.problem.empty()) k.problem = NameProblem(path, Name(path));
  return k.problem;
}

std::vector<FoundFile> ExpandSource(const fs::path& base, const std::string& pattern,
                                    bool recursive, const std::vector<std::string>& excludes,
                                    const SourceOptions& options) {
  CheckLength(pattern);
  for (const auto& x : excludes) CheckLength(x);
  std::string norm = pattern;
  std::replace(norm.begin(), norm.end(), '\\', '/');
  fs::path full = fs::absolute(base / HostPath(norm)).lexically_normal();
  std::vector<FoundFile> out;
  if (!HasWildcard(norm)) {
    std::error_code ec;
    auto st = fs::status(full, ec);
    if (fs::is_directory(st)) {
      Walker walker(full, options, recursive);
      walker.Walk(full, "");
      out = std::move(walker.out());
    } else if (fs::exists(fs::symlink_status(full, ec))) {
      FoundFile f{full, Name(full), 0, FileProblem(full, full.parent_path(), options)};
      if (f.problem.empty()) f.size = static_cast<int64_t>(fs::file_size(full));
      out.push_back(std::move(f));
    } else {
      throw std::runtime_error("no such file or folder: " + Shown(full));
    }
  } else {
    // Split into the literal base folder and the pattern elements below it; "**" elements in
    // a row match what one does.
    fs::path root = full.root_path();
    std::vector<std::string> parts;
    bool wild = false;
    for (const auto& el : full.relative_path()) {
      std::string s = HostPathText(el);
      if (s.empty()) continue;
      if (!wild && !HasWildcard(s)) {
        root /= el;
      } else {
        wild = true;
        if (s != "**" || parts.empty() || parts.back() != "**") parts.push_back(s);
      }
    }
    std::error_code ec;
    if (!fs::is_directory(root, ec)) throw std::runtime_error("no such folder: " + Shown(root));
    Walker walker(root, options, recursive);
    walker.Match(root, "", parts, 0);
    out = std::move(walker.out());
    std::sort(out.begin(), out.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.rel < b.rel; });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const FoundFile& a, const FoundFile& b) { return a.rel == b.rel; }),
              out.end());
  }
  std::erase_if(out, [&](const FoundFile& f) { return Excluded(f, excludes); });
  for (const FoundFile& f : out)
    if (!f.problem.empty()) throw std::runtime_error(f.problem);
  if (out.empty()) throw std::runtime_error("'" + pattern + "' matches no file");
  return out;
}

}  // namespace sk::cli
