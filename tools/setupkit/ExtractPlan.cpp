#include "tools/setupkit/ExtractPlan.h"

#include <set>

#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/ExtractPaths.h"
#include "tools/setupkit/HostFiles.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace sk::cli {

namespace fs = std::filesystem;

namespace {

std::string Folded(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// "dir/name.ext" as "dir/name (n).ext"; a leading dot is part of the name, not an extension.
std::string Numbered(const std::string& rel, int n) {
  const size_t slash = rel.rfind('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = rel.rfind('.');
  if (dot == std::string::npos || dot <= start) dot = rel.size();
  return rel.substr(0, dot) + " (" + std::to_string(n) + ")" + rel.substr(dot);
}

// The host's limits below root: the longest name and the longest path, in native units.
std::pair<size_t, size_t> Limits(const fs::path& root) {
#ifdef _WIN32
  (void)root;
  return {255, 32767};
#else
  const long name = ::pathconf(root.c_str(), _PC_NAME_MAX);
  const long path = ::pathconf(root.c_str(), _PC_PATH_MAX);
  return {name > 0 ? static_cast<size_t>(name) : 255, path > 0 ? static_cast<size_t>(path) : 4096};
#endif
}

}  // namespace

std::vector<PlannedItem> PlanExtraction(const RecordList<TCompileFileData>& files,
                                        bool withSupport) {
  std::vector<PlannedItem> plan;
  std::set<std::string> folders;  // folded paths of every folder the plan needs
  for (const auto& item : files) {
    const bool support = item->Kind != kind::File && item->Kind != kind::Folder;
    if (support && !withSupport) continue;
    auto rel = ExtractPathOf(*item);
    if (!rel) continue;
    PlannedItem p{item.get(), *rel, item->Kind == kind::Folder, {}};
    const std::string folded = Folded(p.rel);
    for (size_t slash = folded.find('/'); slash != std::string::npos;
         slash = folded.find('/', slash + 1))
      folders.insert(folded.substr(0, slash));
    if (p.folder) folders.insert(folded);
    plan.push_back(std::move(p));
  }
  std::set<std::string> taken;  // folded paths of the files placed so far
  for (PlannedItem& p : plan) {
    if (p.folder) continue;
    std::string rel = p.rel;
    for (int n = 2; folders.count(Folded(rel)) || taken.count(Folded(rel)); ++n)
      rel = Numbered(p.rel, n);
    if (rel != p.rel) p.collidedWith = std::exchange(p.rel, rel);
    taken.insert(Folded(p.rel));
  }
  return plan;
}

void CheckHostLimits(const fs::path& root, const std::vector<PlannedItem>& plan) {
  const auto [maxName, maxPath] = Limits(root);
  const size_t rootLength = fs::absolute(root).native().size();
  for (const PlannedItem& p : plan) {
    const fs::path rel = HostPath(p.rel);
    for (const fs::path& element : rel) {
      if (element.native().size() > maxName)
        throw Error(MessagePath(HostPath(EscapeControls(p.rel))) + ": a name longer than the " +
                    std::to_string(maxName) +
                    " bytes this file system allows; nothing was extracted");
    }
    // The terminating zero counts against the longest path.
    if (rootLength + 1 + rel.native().size() >= maxPath)
      throw Error(MessagePath(HostPath(EscapeControls(p.rel))) + ": the path is longer than the " +
                  std::to_string(maxPath) + " bytes this system allows; nothing was extracted");
  }
}

}  // namespace sk::cli
