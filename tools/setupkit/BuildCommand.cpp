// setupkit build MANIFEST [-o OUT] [--arch x86|x64] [--stub PATH] [-j N] [-q] [--follow-links]
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <iostream>

#include "tools/setupkit/Builder.h"
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/Manifest.h"
#include "tools/setupkit/StubLocator.h"

#ifdef _WIN32
#include <io.h>
#define SK_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define SK_ISATTY(fd) isatty(fd)
#endif

namespace sk::cli {

namespace fs = std::filesystem;

namespace {

// A bar redrawn in place on a terminal; one line per tenth otherwise.
class Progress {
 public:
  explicit Progress(bool terminal) : terminal_(terminal) {}
  void operator()(int64_t done, int64_t total) {
    int pct = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (terminal_) {
      if (pct == last_) return;
      last_ = pct;
      int fill = pct * 30 / 100;
      std::fprintf(stderr, "\r  [%s%s] %3d%%  %s of %s", std::string(fill, '#').c_str(),
                   std::string(30 - fill, ' ').c_str(), pct, HumanSize(done).c_str(),
                   HumanSize(total).c_str());
      std::fflush(stderr);
      drawn_ = true;
    } else {
      int tenth = pct / 10;
      if (tenth == last_) return;
      last_ = tenth;
      std::fprintf(stderr, "setupkit: %3d%% (%s of %s)\n", tenth * 10, HumanSize(done).c_str(),
                   HumanSize(total).c_str());
    }
  }
  void End() {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
  }

 private:
  bool terminal_;
  bool drawn_ = false;
  int last_ = -1;
};

// Which uninstaller the package carries: setupkit's own (and from where), the manifest's, or
// none because the manifest switches it off.
std::string UninstallerLine(const TCompile& model, const fs::path& builtin) {
  if (!builtin.empty()) return "uninstaller: setupkit's own (" + HostPathText(builtin) + ")";
  bool enabled = false;
  for (const auto& d : model.Package().InfoList())
    if (d->Group == setting::kGeneral && SameTextAscii(d->Name, setting::kEnableUnIns.name))
      enabled = d->Value == text::kEnabled;
  for (const auto& f : model.Package().FileList())
    if (f->Kind == kind::Uninstaller)
      return std::string("uninstaller: ") + (enabled ? "" : "packed but switched off, ") +
             "the manifest's " + Printable(ExtractFileName(f->SourcePath));
  return "uninstaller: none (switched off by the manifest)";
}

}  // namespace

int CmdBuild(const std::vector<std::string>& args) {
  CLI::App app{"Builds a setup program from a manifest (see docs/manifest.md).", "setupkit build"};
  std::string manifest, output, arch = "x86", stub, uninstaller;
  unsigned threads = 0;
  bool quiet = false;
  SourceOptions sources;
  app.add_option("MANIFEST", manifest, "the manifest (UTF-8 TOML)")->required();
  app.add_option("-o,--output", output,
                 "setup program to write (default: <manifest name>-setup.exe)");
  app.add_option("--arch", arch, "architecture of the runtime stub")
      ->check(CLI::IsMember({"x86", "x64"}));
  app.add_option("--stub", stub, "runtime stub Setup.exe to use instead of searching for one");
  app.add_option("--uninstaller", uninstaller,
                 "uninstaller to pack when the manifest names none, instead of searching for one");
  app.add_option("-j,--jobs", threads, "compression threads (default: all cores)");
  app.add_flag("-q,--quiet", quiet, "no progress, only the summary");
  app.add_flag("--follow-links", sources.followLinks,
               "also pack symbolic links to files outside the source folders (refused otherwise)");
  app.footer(
      "The stub is searched beside setupkit (Setup-x86.exe / Setup-x64.exe), in\n"
      "<prefix>/share/setupkit, in $SETUPKIT_STUB_DIR, then in the development tree\n"
      "(build/win32/app/Setup.exe, build/win64/app/Setup.exe). When the manifest switches the\n"
      "uninstaller on without a source, or has no [uninstaller] section, the built-in one\n"
      "(Uninst-x86.exe / Uninst-x64.exe,\n"
      "app/uninst/Uninst.exe in the development tree) is searched the same way.");
  if (auto code = ParseCommandLine(app, args)) return *code;

  return Guarded([&] {
    auto start = std::chrono::steady_clock::now();
    fs::path manifestPath = HostPath(manifest);
    BuildPlan plan = ReadManifest(manifestPath, manifest, sources);
    const Arch target = arch == "x64" ? Arch::X64 : Arch::X86;
    fs::path stubPath = LocateStub(target, stub);
    fs::path builtin;
    if (plan.builtinUninstaller) {
      builtin = LocateUninstaller(target, uninstaller);
      AddBuiltinUninstaller(plan, builtin);
    }
    fs::path out = output.empty()
                       ? fs::path(manifestPath.stem().native() + fs::path("-setup.exe").native())
                       : HostPath(output);
    Progress bar(SK_ISATTY(2) != 0);
    BuildOptions opts;
    opts.threads = threads;
    if (!quiet) opts.progress = [&](int64_t d, int64_t t) { bar(d, t); };
    BuildResult r = BuildSetup(plan, stubPath, out, opts);
    bar.End();
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char line[256];
    std::snprintf(line, sizeof line, "%zu files, %lld bytes in, %lld bytes out (%.1f%%), %.2f s",
                  r.files, static_cast<long long>(r.bytesIn), static_cast<long long>(r.bytesOut),
                  r.bytesIn > 0 ? 100.0 * static_cast<double>(r.bytesOut) / r.bytesIn : 0.0, secs);
    std::cout << "setupkit: wrote " << HostPathText(out) << " (stub " << HostPathText(stubPath)
              << ")\n"
              << "setupkit: " << UninstallerLine(*plan.model, builtin) << "\n"
              << "setupkit: " << line << "\n";
    std::cout.flush();
    return kExitOk;
  });
}

}  // namespace sk::cli
