// Writes the seed corpus of every fuzz target: fuzz_seeds OUTDIR makes OUTDIR/<target>/ with
// inputs produced by our own writers (packages, settings, comma text, uninstall logs,
// registry files, shell links) and the demo's manifest and pictures.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "engine/UninstallRecorder.h"
#include "package/Container.h"
#include "package/Writer.h"
#include "platform/Encoding.h"
#include "platform/LnkFormat.h"
#include "platform/NullPlatform.h"
#include "platform/sandbox/SandboxRegistry.h"
#include "tests/support/PackageBuilder.h"

namespace fs = std::filesystem;

namespace {

fs::path gOut;

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
  fs::create_directories(gOut / target);
  std::ofstream(gOut / target / name, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// 文件 (file), 安装目录 (install folder)
const std::string kWen = "\xCE\xC4\xBC\xFE";
const std::string kInstallDir = "[\xB0\xB2\xD7\xB0\xC4\xBF\xC2\xBC]";

void Packages() {
  sk::test::PackageBuilder b;
  b.Setting("AppName", "Demo " + kWen);
  b.Setting("Version", "1.0", 1);
  b.File("C:\\src\\a.txt", kInstallDir, "hello, world\r\n");
  b.File("C:\\src\\b.bin", kInstallDir + "\\sub", std::string(300, 'x'));
  b.Folder(kInstallDir, "logs");
  b.RegValue("HKEY_CURRENT_USER\\Software\\Demo", "Path", kInstallDir);
  b.Shortcut("Desktop", "Demo", kInstallDir + "\\a.txt");
  b.Component("Extras", 10);
  b.FileFolders().push_back(kInstallDir);
  const std::string full = b.Build();
  Seed("fuzz_package", "full", full);
  Seed("fuzz_settings", "full", sk::SerializeSettings(b.Model().Package()));

  sk::test::PackageBuilder bare;
  bare.WithoutSettings();
  Seed("fuzz_package", "bare", bare.Build());
  sk::test::PackageBuilder one;
  one.File("C:\\src\\only.txt", "C:\\App", "only");
  Seed("fuzz_package", "one", one.Build(""));
  Seed("fuzz_settings", "one", sk::SerializeSettings(one.Model().Package()));
}

void CommaText() {
  Seed("fuzz_commatext", "plain", sk::WriteCommaText({"a", "b c", "", "d\"e", "f,g"}));
  Seed("fuzz_commatext", "gbk", sk::WriteCommaText({kWen, "x " + kWen, "\"q\""}));
}

void UninstallLog() {
  sk::NullPlatform platform;
  sk::UninstallRecorder log(platform);
  log.SetProductName("Demo");
  log.SetUninstallKey("Demo_is1");
  log.AddFolder("C:\\Program Files\\Demo");
  log.AddFile("C:\\Program Files\\Demo\\" + kWen + ".txt", 1);
  log.AddRegKey(sk::RootText(sk::RegRoot::CurrentUser), "Software\\Demo", "Path");
  Seed("fuzz_uninstall_log", "log", log.SaveToBytes());
}

void Ini() {
  Seed("fuzz_ini", "sysdirlist",
       "SysDirList\n[Option]\r\nExeFile=setup.exe\r\n[RegistryList]\r\nRegtype=Copy\r\n"
       "[SysDirList]\r\na.dll=[System Directory]\\\\a.dll\r\n b.ocx = \"[System "
       "Directory]\\\\b.ocx\" \r\n"
       ";c.dll=x\r\nA.DLL=again\r\n[Term]\r\nRegRun=HKEY_LOCAL_MACHINE\\Software\\X\\Run\r\n");
  Seed("fuzz_ini", "gbk",
       kWen + "\n[" + kWen + "]\nkey=" + kWen + "\n[" + kWen + "]\nkey=second\n");
}

void Registry() {
  sk::sandbox::SandboxRegistry r;
  auto key = r.Find(sk::RegRoot::CurrentUser, "Software\\Demo\\" + kWen, true);
  r.SetValue(*key, "", 1, "default");
  r.SetValue(*key, "Path", 1, "C:\\Program Files\\Demo");
  r.SetValue(*key, "Lines", 1, "a\r\nb");
  r.SetValue(*key, "Count", 4, std::string("\x2a\0\0\0", 4));
  r.SetValue(*key, "Blob", 3, std::string("\x00\xab", 2));
  r.SetValue(*key, "Multi", 7, std::string("a\0b\0\0", 5));
  r.Find(sk::RegRoot::ClassesRoot, ".demo", true);
  const std::string text = r.ToText();
  Seed("fuzz_registry_file", "registry.reg", text);
  Seed("fuzz_reg_import", "utf8.reg", text + "[-HKEY_CURRENT_USER\\Software\\Old]\r\n");
  std::u16string wide = u"\xFEFF" + sk::GbkToUtf16(*sk::Utf8ToGbk(text));
  std::string utf16;
  for (char16_t c : wide) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  Seed("fuzz_reg_import", "utf16.reg", utf16);
  Seed("fuzz_reg_import", "regedit4.reg",
       "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\" + kWen + "]\r\n\"Name\"=\"" + kWen +
           "\"\r\n\"Bin\"=hex:01,02,\\\r\n  03,04\r\n"
           "\"Gone\"=-\r\n@=dword:00000001\r\n");
}

void ShellLinks() {
  sk::ShellLinkInfo link;
  link.target = "C:\\Program Files\\Demo\\demo.exe";
  link.arguments = "-x \"" + kWen + "\"";
  link.description = kWen;
  link.workingDir = "C:\\Program Files\\Demo";
  link.iconPath = "C:\\Program Files\\Demo\\demo.ico";
  link.iconIndex = 2;
  link.showCommand = 3;
  sk::LnkTargetData data;
  data.attributes = 0x20;
  data.size = 1234;
  data.writeTime = 133000000000000000LL;
  Seed("fuzz_shell_link", "full.lnk", sk::BuildShellLink(link, data));
  sk::ShellLinkInfo relative;
  relative.target = "demo.exe";
  Seed("fuzz_shell_link", "relative.lnk", sk::BuildShellLink(relative));
}

void Pictures() {
  const fs::path demo = fs::path(SK_SOURCE_DIR) / "examples" / "demo";
  for (const auto& entry : fs::directory_iterator(demo / "pictures")) {
    const std::string ext = entry.path().extension().string();
    Seed(ext == ".png" ? "fuzz_png" : "fuzz_jpeg", entry.path().filename().string(),
         ReadFile(entry.path()));
  }
}

void Manifests() {
  const fs::path demo = fs::path(SK_SOURCE_DIR) / "examples" / "demo";
  Seed("fuzz_manifest", "demo.toml", ReadFile(demo / "demo.toml"));
  Seed("fuzz_manifest", "small.toml",
       "[product]\nname = \"Small\"\nversion = \"1\"\n[[file]]\nsource = \"app/readme.txt\"\n"
       "target = \"{app}\"\n[[registry]]\nkey = 'HKCU\\Software\\Small'\nname = \"v\"\n"
       "value = \"1\"\n");
}

void Paths() {
  Seed("fuzz_winpath", "plain", "C:\\Setup\nC:\\Program Files\\Demo\\a.txt");
  Seed("fuzz_winpath", "relative", "D:\\x\\y\n..\\..\\z/./w\\\\v. . ");
  Seed("fuzz_winpath", "gbk", "C:\\\nC:\\" + kWen + "\\\xB5\\\\program files\\DEMO\\sub");
  Seed("fuzz_winpath", "rooted", "C:\\a\n\\Windows\\..\\..\\..\\x");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seeds OUTDIR\n";
    return 2;
  }
  gOut = argv[1];
  try {
    Packages();
    CommaText();
    UninstallLog();
    Ini();
    Registry();
    ShellLinks();
    Pictures();
    Manifests();
    Paths();
  } catch (const std::exception& e) {
    std::cerr << "fuzz_seeds: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
