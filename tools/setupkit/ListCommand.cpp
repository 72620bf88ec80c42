// setupkit list FILE: one line per file item, in the manner of an archive listing.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "package/ByteSize.h"
#include "platform/Encoding.h"
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/DayCount.h"
#include "tools/setupkit/PackageFile.h"

namespace sk::cli {

namespace {

const char* KindName(uint8_t k) {
  switch (k) {
    case kind::File:
      return "file";
    case kind::Folder:
      return "folder";
    case kind::RegFile:
      return "regfile";
    case kind::CompFile:
      return "component";
    case kind::PageFile:
      return "pagefile";
    case kind::Uninstaller:
      return "uninstall";
    default:
      return "unknown";
  }
}

// Seven letters, '-' when off: R run at startup, K keep on uninstall, N no overwrite,
// C COM server, S service, A run after install, P patch file.
std::string Attributes(const TCompileFileData& f) {
  const uint8_t flags[] = {f.RunAtStartup,   f.KeepOnUninstall, f.NoOverwrite, f.RegisterServer,
                           f.InstallService, f.RunAfterInstall, f.PatchFile};
  const char* letters = "RKNCSAP";
  std::string s;
  for (int i = 0; i < 7; ++i) s += flags[i] ? letters[i] : '-';
  return s;
}

std::string Under(const std::string& dir, const std::string& name) {
  return dir.empty() || dir.back() == '\\' ? dir + name : dir + "\\" + name;
}

std::string ItemPath(const TCompileFileData& f) {
  std::string name = ExtractFileName(f.SourcePath);
  switch (f.Kind) {
    case kind::File:
      return Printable(Under(f.TargetDir, name));
    case kind::Folder:
      return Printable(Under(f.TargetDir, f.Name) + "\\");
    case kind::CompFile:
      return Printable(f.Name + ": " + f.SourcePath);
    default:
      return Printable(name.empty() ? f.SourcePath : name);
  }
}

}  // namespace

int CmdList(const std::vector<std::string>& args) {
  CLI::App app{"Lists the file items of a setup file.", "setupkit list"};
  std::string file;
  app.add_option("FILE", file, "setup file with its package")->required();
  app.footer(
      "Columns: uncompressed size, kind, date and time (local), attributes, target.\n"
      "Attributes: R run at startup, K keep on uninstall, N no overwrite, C COM server,\n"
      "S service, A run after install, P patch file.");
  if (auto code = ParseCommandLine(app, args)) return *code;

  return Guarded([&] {
    LoadedPackage pkg(file);
    auto& out = std::cout;
    out << "Package:  " << EscapeControls(file) << "\n";
    out << "      Length  Kind       Date       Time      Attr     Target\n";
    out << "------------  ---------  ---------- --------  -------  ------\n";
    int64_t total = 0;
    size_t count = 0;
    char line[96];
    for (const auto& f : pkg.model.Package().FileList()) {
      bool data = f->Kind != kind::Folder;
      if (data) {
        total = SaturatingAdd(total, f->UncompressedSize);
        ++count;
      }
      std::snprintf(line, sizeof line, "%12lld  %-9s  %s  %s  ",
                    static_cast<long long>(data ? f->UncompressedSize : 0), KindName(f->Kind),
                    FormatDayCount(f->FileTime).c_str(), Attributes(*f).c_str());
      out << line << ItemPath(*f);
      if (!f->TargetOs.empty()) out << "  [os " << Printable(f->TargetOs) << "]";
      out << "\n";
    }
    out << "------------                                           ------\n";
    std::snprintf(line, sizeof line, "%12lld", static_cast<long long>(total));
    out << line << "                                           " << count << " file"
        << (count == 1 ? "" : "s") << "\n";
    out.flush();
    return kExitOk;
  });
}

}  // namespace sk::cli
