#include "tools/setupkit/StubLocator.h"

#include <cstdlib>
#include <vector>

#include "platform/Error.h"
#include "tools/setupkit/HostFiles.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace sk::cli {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
#ifdef _WIN32
  std::wstring buf(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return {};
  buf.resize(n);
  return fs::path(buf).parent_path();
#else
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : self.parent_path();
#endif
}

void CheckStub(const fs::path& stub, Arch arch) {
  HostInputStream in(stub);
  unsigned char mz[64];
  std::string name = MessagePath(stub);
  if (in.Read(mz, sizeof mz) != sizeof mz || mz[0] != 'M' || mz[1] != 'Z')
    throw Error(name + ": not a Windows program (no MZ header)");
  uint32_t pe = mz[60] | mz[61] << 8 | mz[62] << 16 | uint32_t(mz[63]) << 24;
  unsigned char hdr[6];
  if (pe > in.Size() - 6)
    throw Error(name + ": not a Windows program (PE header outside the file)");
  in.Seek(pe);
  if (in.Read(hdr, 6) != 6 || hdr[0] != 'P' || hdr[1] != 'E' || hdr[2] || hdr[3])
    throw Error(name + ": not a Windows program (no PE header)");
  unsigned machine = hdr[4] | hdr[5] << 8;
  unsigned want = arch == Arch::X86 ? 0x14c : 0x8664;
  if (machine != want)
    throw Error(name + ": a program for the other architecture (expected " +
                (arch == Arch::X86 ? "x86" : "x64") + ")");
}

namespace {

// One program shipped with setupkit: its installed names and its place in a build folder.
struct Shipped {
  const char* x86Name;
  const char* x64Name;
  const char* buildPath;  // below build/<preset>/
  const char* option;     // the option that names it explicitly
  const char* what;
};

constexpr Shipped kStub{"Setup-x86.exe", "Setup-x64.exe", "app/Setup.exe", "--stub",
                        "runtime stub"};
constexpr Shipped kUninstaller{"Uninst-x86.exe", "Uninst-x64.exe", "app/uninst/Uninst.exe",
                               "--uninstaller", "uninstaller"};

fs::path Locate(const Shipped& program, Arch arch, const std::string& explicitPath) {
  if (!explicitPath.empty()) {
    fs::path p = HostPath(explicitPath);
    CheckStub(p, arch);
    return p;
  }
  const char* fileName = arch == Arch::X86 ? program.x86Name : program.x64Name;
  const char* preset = arch == Arch::X86 ? "win32" : "win64";
  std::vector<fs::path> candidates;
  fs::path self = ProgramFolder();
  if (!self.empty()) {
    candidates.push_back(self / fileName);
    candidates.push_back(self.parent_path() / "share" / "setupkit" / fileName);
  }
  if (const char* env = std::getenv("SETUPKIT_STUB_DIR"); env && *env)
    candidates.push_back(HostPath(env) / fileName);
  // Development tree: the program lives in build/<preset>/tools/setupkit/.
  for (fs::path dir = self; !dir.empty() && dir != dir.parent_path(); dir = dir.parent_path()) {
    if (dir.filename() == "build") {
      candidates.push_back(dir / preset / program.buildPath);
      break;
    }
  }
  std::error_code ec;
  for (const auto& c : candidates) {
    if (fs::is_regular_file(c, ec)) {
      CheckStub(c, arch);
      return c;
    }
  }
  std::string where;
  for (const auto& c : candidates) where += (where.empty() ? " " : ", ") + MessagePath(c);
  throw Error(std::string("no ") + program.what + " " + fileName + " found (use " + program.option +
              " PATH); looked for:" + where);
}

}  // namespace

fs::path LocateStub(Arch arch, const std::string& explicitStub) {
  return Locate(kStub, arch, explicitStub);
}

fs::path LocateUninstaller(Arch arch, const std::string& explicitUninstaller) {
  return Locate(kUninstaller, arch, explicitUninstaller);
}

}  // namespace sk::cli
