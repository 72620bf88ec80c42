// setupkit info FILE [--json]: prints the package model of a setup file.
#include <CLI/CLI.hpp>
#include <iostream>

#include "platform/Encoding.h"
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/DayCount.h"
#include "tools/setupkit/PackageFile.h"
#include "tools/setupkit/PackageJson.h"

namespace sk::cli {

namespace {

// Names from the package, with control characters escaped for the terminal.
std::string U(const std::string& gbk) {
  return Printable(gbk);
}

void PrintText(const std::string& file, const TCompile& m, std::ostream& out) {
  out << "File:        " << EscapeControls(file) << "\n"
      << "Project:     " << U(m.Package().ItemName) << "\n"
      << "Version:     " << U(m.Package().Version) << "\n"
      << "Author:      " << U(m.Package().Author) << "\n"
      << "Url:         " << U(m.Package().Url) << "\n"
      << "Serial:      " << U(m.Package().Serial) << "\n"
      << "Patched:     " << (m.Package().Patched() ? "yes" : "no") << "\n"
      << "Size:        " << m.Package().Size << " (" << HumanSize(m.Package().Size) << ")\n";

  out << "\nSettings (" << m.Package().InfoList().size() << "):\n";
  for (const auto& s : m.Package().InfoList())
    out << "  [" << int(s->Group) << "] " << U(s->Name) << " = " << U(s->Value) << "\n";

  out << "\nFile folders (" << m.Package().FileFolderList().size() << "):\n";
  for (const auto& s : m.Package().FileFolderList()) out << "  " << U(s) << "\n";

  out << "\nFiles (" << m.Package().FileList().size() << "):\n";
  for (const auto& f : m.Package().FileList()) {
    out << "  kind " << int(f->Kind) << "  " << U(f->SourcePath) << "\n"
        << "         -> " << U(f->TargetDir);
    if (!f->Name.empty()) out << "  [" << U(f->Name) << "]";
    out << "\n         " << f->UncompressedSize << " bytes, data [" << f->DataStart << ", "
        << f->DataEnd << "), " << FormatDayCount(f->FileTime);
    if (!f->TargetOs.empty()) out << ", os " << U(f->TargetOs);
    out << "\n";
  }

  out << "\nRegistry keys (" << m.Package().RegFolderList().size() << "):\n";
  for (const auto& s : m.Package().RegFolderList()) out << "  " << U(s) << "\n";
  static const char* const kTypes[] = {"REG_SZ", "REG_DWORD", "REG_BINARY"};
  out << "\nRegistry values (" << m.Package().RegList().size() << "):\n";
  for (const auto& r : m.Package().RegList()) {
    out << "  " << U(r->KeyPath) << " : " << U(r->ValueName) << " = "
        << (r->ValueType < 3 ? kTypes[r->ValueType] : "type?") << " " << U(r->ValueData);
    if (!r->TargetOs.empty()) out << "  (os " << U(r->TargetOs) << ")";
    out << "\n";
  }

  out << "\nShortcut folders (" << m.Package().ShotCutFolderList().size() << "):\n";
  for (const auto& s : m.Package().ShotCutFolderList()) out << "  " << U(s) << "\n";
  out << "\nShortcuts (" << m.Package().ShotCutList().size() << "):\n";
  for (const auto& s : m.Package().ShotCutList()) {
    out << "  " << U(s->Folder) << "\\" << U(s->Name) << " -> " << U(s->Target) << " (kind "
        << int(s->Kind) << ")";
    if (!s->Arguments.empty()) out << " args " << U(s->Arguments);
    if (!s->IconFile.empty()) out << " icon " << U(s->IconFile);
    out << "\n";
  }

  out << "\nComponent packages (" << m.Package().CompList().size() << "):\n";
  for (const auto& c : m.Package().CompList())
    out << "  " << U(c->Name) << "  " << c->Size << " bytes\n";

  const TInstallData& o = m.Choices().Options;
  out << "\nOptions:\n"
      << "  ShowWizard " << int(o.ShowWizard) << ", CreateStartMenu " << int(o.CreateStartMenu)
      << ", CreateDesktop " << int(o.CreateDesktop) << ", CreateQuickLaunch "
      << int(o.CreateQuickLaunch) << "\n"
      << "  InstallDir      " << U(o.InstallDir) << "\n"
      << "  StartMenuFolder " << U(o.StartMenuFolder) << "\n"
      << "  AppFile         " << U(o.AppFile) << " (" << int(o.RunAppChecked) << ")\n"
      << "  ReadmeFile      " << U(o.ReadmeFile) << " (" << int(o.ReadmeChecked) << ")\n"
      << "  HomePageUrl     " << U(o.HomePageUrl) << " (" << int(o.HomePageChecked) << ")\n"
      << "  EnableUnIns     " << U(o.EnableUnIns) << "\n"
      << "  TotalSize       " << o.TotalSize << "\n";
}

}  // namespace

int CmdInfo(const std::vector<std::string>& args) {
  CLI::App app{"Prints the package model of a setup file.", "setupkit info"};
  std::string file;
  bool json = false;
  app.add_option("FILE", file, "setup file with its package")->required();
  app.add_flag("--json", json, "print one JSON object (UTF-8, exact numbers)");
  if (auto code = ParseCommandLine(app, args)) return *code;

  return Guarded([&] {
    LoadedPackage pkg(file);
    if (json)
      std::cout << PackageToJson(pkg.model).dump(2, ' ', false,
                                                 nlohmann::ordered_json::error_handler_t::replace)
                << "\n";
    else
      PrintText(file, pkg.model, std::cout);
    std::cout.flush();
    return kExitOk;
  });
}

}  // namespace sk::cli
