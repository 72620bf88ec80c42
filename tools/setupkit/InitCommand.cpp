// setupkit init [FOLDER] [-o MANIFEST] [--name NAME]: writes a first manifest for a folder of
// files (ManifestDraft.h), setupkit.toml in the current folder by default, naming the files
// relative to the manifest's own folder.
//
// Refusals (exit 2, one error line, nothing written): a manifest that exists already (never
// overwritten, not even through a link), a missing folder or a file in its place, a folder
// holding no file, a file that `build` could not pack (the same checks as build's), no program
// among the files, a product name without a GBK form, and a folder path that a manifest would
// read as a pattern or split at a backslash. The manifest is created exclusively and removed again
// if writing fails.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <random>

#include "platform/Encoding.h"
#include "platform/Error.h"
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/ManifestDraft.h"
#include "tools/setupkit/SourceWalk.h"

namespace sk::cli {

namespace fs = std::filesystem;

namespace {

// The files below `folder` ("/"-separated, sorted), as build would walk them.
std::vector<std::string> FolderFiles(const fs::path& folder, const std::string& shown) {
  std::error_code ec;
  const fs::file_status st = fs::status(folder, ec);
  if (!fs::exists(st)) throw std::runtime_error("no such folder: " + shown);
  if (!fs::is_directory(st)) throw std::runtime_error(shown + " is not a folder");
  if (fs::directory_iterator(folder, ec) == fs::directory_iterator())
    throw std::runtime_error(shown + " is empty: there is nothing to install");
  std::vector<FoundFile> found;
  try {
    found = ExpandSource(folder, ".", true, {});
  } catch (const std::runtime_error& e) {
    if (std::string(e.what()).find("matches no file") != std::string::npos)
      throw std::runtime_error(shown + " holds folders but no file: there is nothing to install");
    throw;
  }
  std::vector<std::string> rels;
  for (const FoundFile& f : found) rels.push_back(f.rel);
  return rels;
}

// The folder as the manifest names it: relative to the manifest's folder where it can be.
std::string FolderInManifest(const fs::path& folder, const fs::path& manifest) {
  const fs::path from = fs::absolute(manifest).lexically_normal().parent_path();
  fs::path rel = folder.lexically_relative(from);
  std::string text = HostPathText(rel.empty() ? folder : rel);
#ifdef _WIN32
  std::replace(text.begin(), text.end(), '\\', '/');  // a separator; no Windows name holds one
#endif
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  if (text.empty()) text = ".";
  // A manifest reads "*" and "?" as a pattern and "\\" as a separator.
  if (text.find_first_of("*?\\") != std::string::npos)
    throw std::runtime_error("the folder " + text +
                             " has *, ? or \\ in its path, which a manifest reads as a pattern "
                             "or a separator: rename it or write the manifest by hand");
  return text;
}

void WriteNew(const fs::path& path, const std::string& text) {
  HostOutputStream out(path, HostOutputStream::Mode::New);
  try {
    out.Write(text.data(), text.size());
    out.Close();
  } catch (...) {
    std::error_code ec;
    fs::remove(path, ec);
    throw;
  }
}

}  // namespace

int CmdInit(const std::vector<std::string>& args) {
  CLI::App app{
      "Writes a first manifest for a folder of files: the product named after the folder, "
      "a fresh product id, the install folder, every file, a start-menu shortcut to the "
      "program and the uninstaller.",
      "setupkit init"};
  std::string folderArg = ".";
  std::string output = "setupkit.toml";
  std::string name;
  app.add_option("FOLDER", folderArg, "folder of the files to install (default: the current one)");
  app.add_option("-o,--output", output,
                 "manifest to write (default: setupkit.toml); never overwritten");
  app.add_option("--name", name, "product name (default: the folder's name)");
  app.footer(
      "Then: setupkit build setupkit.toml. Exit codes: 0 written, 2 error (nothing written).");
  if (auto code = ParseCommandLine(app, args)) return *code;

  return Guarded([&] {
    const fs::path manifest = HostPath(output);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(manifest, ec)))
      return ReportError(output + " exists already; init never overwrites a manifest");
    const fs::path folder = fs::absolute(HostPath(folderArg)).lexically_normal();
    std::vector<std::string> files;
    std::string inManifest;
    try {
      files = FolderFiles(folder, folderArg);
      inManifest = FolderInManifest(folder, manifest);
    } catch (const std::runtime_error& e) {
      return ReportError(e.what());
    }
    const std::vector<std::string> programs = ProgramsOf(files);
    if (programs.empty())
      return ReportError(folderArg +
                         " holds no program (.exe, .bat or .cmd) for the shortcut to start; "
                         "write the manifest by hand (docs/manifest.md)");
    if (name.empty()) {
      fs::path base = folder;
      while (!base.empty() && base.filename().empty()) base = base.parent_path();
      name = HostPathText(base.filename());
    }
    if (name.empty() || !Utf8ToGbk(name))
      return ReportError("the product name '" + EscapeControls(name) +
                         "' cannot be written in GBK: give one with --name");

    std::random_device random;
    DraftInput draft{name, NewProductId(random), inManifest, files};
    WriteNew(manifest, DraftManifest(draft));
    const std::string chosen = ChosenProgram(programs);
    std::cout << "setupkit: wrote " << output << " for \"" << EscapeControls(name)
              << "\": " << files.size() << (files.size() == 1 ? " file" : " files") << ", "
              << (chosen.empty() ? "several programs (choose the shortcut's in the manifest)"
                                 : "a start-menu shortcut to " + EscapeControls(chosen))
              << "\nnext: setupkit build " << output << "\n";
    std::cout.flush();
    return kExitOk;
  });
}

}  // namespace sk::cli
