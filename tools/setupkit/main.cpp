// setupkit: the publisher's command-line tool. Dispatches to the subcommands of Commands.h.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/SwitchHelp.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, which it builds on
#include <shellapi.h>
#endif

#ifndef SETUPKIT_VERSION
#define SETUPKIT_VERSION "0.0.0"
#endif

namespace {

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>&);
  const char* summary;
};

const Command kCommands[] = {
    {"init", sk::cli::CmdInit, "write a first manifest for a folder of files"},
    {"build", sk::cli::CmdBuild, "build a setup program from a manifest"},
    {"info", sk::cli::CmdInfo, "print the package model of a setup file"},
    {"list", sk::cli::CmdList, "list the files of a setup file"},
    {"extract", sk::cli::CmdExtract, "extract the files of a setup file into a folder"},
    {"verify", sk::cli::CmdVerify, "check every region and record of a setup file"},
    {"simulate", sk::cli::CmdSimulate, "install a setup file on a virtual machine in a folder"},
    {"uninstall", sk::cli::CmdUninstall, "uninstall a product from a virtual machine in a folder"},
};

void PrintUsage(std::ostream& out) {
  out << "usage: setupkit <command> [options]\n\ncommands:\n";
  for (const auto& c : kCommands) {
    std::string name = c.name;
    out << "  " << name << std::string(10 - name.size(), ' ') << c.summary << "\n";
  }
  out << "\n'setupkit <command> --help' describes a command. Exit codes: 0 ok, 1 verification\n"
         "failed, 2 error. 'setupkit help setup-switches' describes Setup.exe's command line.\n";
}

// The command line as UTF-8 words (on Windows from the UTF-16 command line, so names outside
// the ANSI code page survive).
std::vector<std::string> Utf8Args(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  std::vector<std::string> out;
  int n = 0;
  LPWSTR* w = CommandLineToArgvW(GetCommandLineW(), &n);
  for (int i = 0; w && i < n; ++i) {
    int len = WideCharToMultiByte(CP_UTF8, 0, w[i], -1, nullptr, 0, nullptr, nullptr);
    std::string s(len > 0 ? static_cast<size_t>(len - 1) : 0, '\0');
    if (len > 1) WideCharToMultiByte(CP_UTF8, 0, w[i], -1, s.data(), len, nullptr, nullptr);
    out.push_back(std::move(s));
  }
  if (w) LocalFree(w);
  return out;
#else
  return std::vector<std::string>(argv, argv + argc);
#endif
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);
#endif
  std::vector<std::string> args = Utf8Args(argc, argv);
  if (args.size() < 2) {
    PrintUsage(std::cerr);
    return sk::cli::kExitError;
  }
  const std::string& word = args[1];
  if (word == "--version" || word == "-V") {
    std::cout << "setupkit " << SETUPKIT_VERSION << "\n";
    return sk::cli::kExitOk;
  }
  if (word == "help" && args.size() == 3 && args[2] == "setup-switches") {
    std::cout << sk::cli::SetupSwitchesHelpUtf8();
    return sk::cli::kExitOk;
  }
  if (word == "--help" || word == "-h" || word == "help") {
    PrintUsage(std::cout);
    return sk::cli::kExitOk;
  }
  for (const auto& c : kCommands) {
    if (word == c.name) {
      std::vector<std::string> rest(args.begin() + 2, args.end());
      return sk::cli::Guarded([&] { return c.run(rest); });
    }
  }
  return sk::cli::ReportError("unknown command '" + word + "' (see 'setupkit --help')");
}
