// setupkit extract FILE [-C DIR] [--support]: writes the packaged files below DIR.
#include <CLI/CLI.hpp>
#include <chrono>
#include <filesystem>
#include <iostream>

#include "package/Container.h"
#include "platform/Encoding.h"
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/DayCount.h"
#include "tools/setupkit/ExtractPaths.h"
#include "tools/setupkit/ExtractPlan.h"
#include "tools/setupkit/PackageFile.h"
#include "tools/setupkit/ReplacingFile.h"

namespace sk::cli {

namespace fs = std::filesystem;

namespace {

// Creates the folders of `rel` below `root`, refusing to follow a symbolic link that some
// earlier step (or another program) placed there, so nothing is written outside `root`.
fs::path PrepareTarget(const fs::path& root, const std::string& rel, bool isFolder) {
  fs::path p = root;
  fs::path relPath = HostPath(rel);
  auto last = std::prev(relPath.end());
  for (auto it = relPath.begin(); it != relPath.end(); ++it) {
    p /= *it;
    std::error_code ec;
    auto st = fs::symlink_status(p, ec);
    if (!ec && fs::is_symlink(st))
      throw Error(MessagePath(p) + ": is a symbolic link; not writing through it");
    if (it != last || isFolder) {
      if (!ec && fs::exists(st) && !fs::is_directory(st))
        throw Error(MessagePath(p) + ": exists and is not a folder");
      if (ec || !fs::exists(st)) fs::create_directory(p);
    } else if (!ec && fs::exists(st) && !fs::is_regular_file(st)) {
      // A FIFO or device would block or swallow the data; a folder cannot be replaced.
      throw Error(MessagePath(p) + ": exists and is not a regular file");
    }
  }
  return p;
}

void SetTime(const fs::path& p, double days) {
  auto t = TimeFromDayCount(days);
  if (!t) return;
  auto sys = std::chrono::system_clock::from_time_t(*t);
  std::error_code ec;
  fs::last_write_time(p, std::chrono::file_clock::from_sys(sys), ec);  // best effort
}

}  // namespace

int CmdExtract(const std::vector<std::string>& args) {
  CLI::App app{"Extracts the files of a setup file.", "setupkit extract"};
  std::string file, dir = ".";
  bool withSupport = false, quiet = false;
  app.add_option("FILE", file, "setup file with its package")->required();
  app.add_option("-C,--directory", dir, "folder to extract into (created; default: .)");
  app.add_flag("--support", withSupport,
               "also extract registry files, component files, page files and the uninstaller "
               "(under _support/)");
  app.add_flag("-q,--quiet", quiet, "print only the summary");
  app.footer(
      "Files to install go below their target folder in package notation (e.g.\n"
      "目标计算机/Program Files/App/app.exe). Names are sanitised: '..', drive letters,\n"
      "absolute parts and reserved characters can never lead outside the folder.");
  if (auto code = ParseCommandLine(app, args)) return *code;

  return Guarded([&] {
    LoadedPackage pkg(file);
    fs::path root = HostPath(dir);
    fs::create_directories(root);
    // Every path is decided and checked before the first file is written.
    const std::vector<PlannedItem> plan =
        PlanExtraction(pkg.model.Package().FileList(), withSupport);
    CheckHostLimits(root, plan);
    size_t files = 0, folders = 0;
    int64_t bytes = 0;
    for (const PlannedItem& p : plan) {
      if (p.folder) {
        PrepareTarget(root, p.rel, true);
        ++folders;
        continue;
      }
      if (!p.collidedWith.empty())
        std::cerr << "setupkit: note: another item extracts to " << EscapeControls(p.collidedWith)
                  << "; this one is written as " << EscapeControls(p.rel) << "\n";
      // A new file renamed into place: a hard link already at the name is replaced, never
      // written through, so the file it shares its data with keeps its bytes and date.
      ReplacingFile out(PrepareTarget(root, p.rel, false));
      ExtractRegion(pkg.stream, out.stream(), p.item->DataStart, p.item->DataEnd);
      out.stream().Close();
      SetTime(out.path(), p.item->FileTime);
      out.Commit();
      bytes += out.stream().Written();
      ++files;
      if (!quiet) std::cout << "  extracted: " << EscapeControls(p.rel) << "\n";
    }
    std::cout << "setupkit: extracted " << files << " file" << (files == 1 ? "" : "s") << " ("
              << HumanSize(bytes) << ") and " << folders << " folder" << (folders == 1 ? "" : "s")
              << " into " << HostPathText(root) << "\n";
    std::cout.flush();
    return kExitOk;
  });
}

}  // namespace sk::cli
