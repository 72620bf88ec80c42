// setupkit init: the manifest it drafts builds and installs; every refusal writes nothing.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "CliTest.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/ManifestDraft.h"
#include "tools/setupkit/TomlLibrary.h"

namespace sk::cli::test {
namespace {

namespace fs = std::filesystem;

// Runs init, builds its manifest with the fake stub as runtime and uninstaller, and installs
// the result on a virtual machine in `dir`/machine.
struct Drafted {
  Result init, build, simulate;
  fs::path machine;
};

Drafted InitBuildSimulate(const TempDir& dir, const std::string& folder,
                          const std::string& manifest) {
  Drafted d;
  const fs::path stub = dir.Write("stub.exe", FakeStub());
  const std::string setup = dir.Text(dir / "drafted-setup.exe");
  d.machine = dir / "machine";
  d.init = RunCommand(CmdInit, {folder, "-o", manifest});
  if (d.init.code != 0) return d;
  d.build = RunCommand(CmdBuild, {manifest, "-o", setup, "--arch", "x64", "--stub", dir.Text(stub),
                                  "--uninstaller", dir.Text(stub), "-q"});
  if (d.build.code != 0) return d;
  d.simulate = RunCommand(CmdSimulate, {setup, "--root", dir.Text(d.machine)});
  return d;
}

TEST(InitTest, DraftedManifestBuildsAndInstallsEveryFileWithShortcutAndUninstaller) {
  struct Case {
    const char* what;
    std::string folder;     // below the temp folder
    std::string manifest;   // below the temp folder
    std::string installed;  // install folder name (from the folder's name)
  };
  const Case cases[] = {
      {"manifest beside the folder", "工具箱", "setupkit.toml", "工具箱"},
      {"manifest in another folder", "dist/Viewer", "conf/viewer.toml", "Viewer"},
      {"manifest inside the folder", "Player", "Player/setupkit.toml", "Player"},
#ifndef _WIN32
      // Quotes and a backslash escaped in the manifest; characters no Windows folder name
      // holds replaced in the install folder.
      {"a name TOML must escape", "My \"App\" 2", "setupkit.toml", "My _App_ 2"},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.Write(c.folder + "/run.exe", "MZ program");
    dir.Write(c.folder + "/data/a.txt", "a");
    dir.Write(c.folder + "/data/deep/b.txt", "b");
    fs::create_directories((dir / c.manifest).parent_path());
    Drafted d = InitBuildSimulate(dir, dir.Text(dir / c.folder), dir.Text(dir / c.manifest));
    ASSERT_EQ(d.init.code, 0) << d.init.err;
    EXPECT_NE(d.init.out.find("3 files, a start-menu shortcut to run.exe"), std::string::npos)
        << d.init.out;
    ASSERT_EQ(d.build.code, 0) << d.build.err << ReadAll(dir / c.manifest);
    ASSERT_EQ(d.simulate.code, 0) << d.simulate.err;
    const fs::path app = d.machine / "C" / "Program Files" / HostPath(c.installed);
    for (const char* f : {"run.exe", "data/a.txt", "data/deep/b.txt", "Uninst.exe", "Uninst.log"})
      EXPECT_TRUE(fs::is_regular_file(app / HostPath(f))) << f;
    const fs::path menu = d.machine / "C/Users/user/AppData/Roaming/Microsoft/Windows/Start Menu" /
                          "Programs" / HostPath(c.installed) / "run.lnk";
    EXPECT_TRUE(fs::is_regular_file(menu)) << dir.Text(menu);
  }
}

TEST(InitTest, RefusesWithAMessageAndWritesNothing) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> make;  // prepares dir/app
    const char* message;
  };
  const Case cases[] = {
      {"missing folder", [](const TempDir&) {}, "no such folder"},
      {"a file in the folder's place", [](const TempDir& d) { d.Write("app", "x"); },
       "is not a folder"},
      {"empty folder", [](const TempDir& d) { fs::create_directories(d / "app"); }, "is empty"},
      {"only empty folders", [](const TempDir& d) { fs::create_directories(d / "app/a/b"); },
       "holds folders but no file"},
      {"a name without a GBK form", [](const TempDir& d) { d.Write("app/run.exe", "MZ"); },
       "cannot be written in GBK"},
      {"no program",
       [](const TempDir& d) {
         d.Write("app/readme.txt", "r");
         d.Write("app/lib/x.dll", "MZ");
       },
       "holds no program"},
#ifndef _WIN32
      {"a file build cannot pack",
       [](const TempDir& d) {
         d.Write("app/run.exe", "MZ");
         ASSERT_EQ(mkfifo(d.Text(d / "app/pipe").c_str(), 0600), 0);
       },
       "not a regular file"},
      {"a backslash in the folder's name", [](const TempDir& d) { d.Write("a\\b/run.exe", "MZ"); },
       "has *, ? or \\"},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    c.make(dir);
    std::string folder = dir.Text(dir / "app");
    if (std::string(c.what).find("backslash") != std::string::npos)
      folder = dir.Text(dir.path()) + "/a\\b";
    std::vector<std::string> args = {folder, "-o", dir.Text(dir / "setupkit.toml")};
    if (std::string(c.what).find("GBK") != std::string::npos)
      args.insert(args.end(), {"--name", "\xF0\x9F\x98\x80 app"});  // an emoji
    Result r = RunCommand(CmdInit, args);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_NE(r.err.find("setupkit: error: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "setupkit.toml")));
  }
}

TEST(InitTest, NeverOverwritesAnExistingManifest) {
  TempDir dir;
  dir.Write("app/run.exe", "MZ");
  const fs::path manifest = dir.Write("setupkit.toml", "# mine\n");
  Result r = RunCommand(CmdInit, {dir.Text(dir / "app"), "-o", dir.Text(manifest)});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("exists already"), std::string::npos) << r.err;
  EXPECT_EQ(ReadAll(manifest), "# mine\n");
#ifndef _WIN32
  // A link at the manifest's name is not written through, even when it leads nowhere.
  const fs::path link = dir / "link.toml";
  fs::create_symlink(dir / "elsewhere.toml", link);
  r = RunCommand(CmdInit, {dir.Text(dir / "app"), "-o", dir.Text(link)});
  EXPECT_EQ(r.code, 2);
  EXPECT_FALSE(fs::exists(dir / "elsewhere.toml"));
#endif
}

TEST(InitTest, SeveralProgramsLeaveTheChoiceInACommentAndStillBuild) {
  TempDir dir;
  dir.Write("app/a.exe", "MZ");
  dir.Write("app/b.cmd", "@echo b");
  Drafted d = InitBuildSimulate(dir, dir.Text(dir / "app"), dir.Text(dir / "setupkit.toml"));
  ASSERT_EQ(d.init.code, 0) << d.init.err;
  EXPECT_NE(d.init.out.find("several programs"), std::string::npos) << d.init.out;
  const std::string text = ReadAll(dir / "setupkit.toml");
  EXPECT_NE(text.find("#   app/a.exe\n#   app/b.cmd\n"), std::string::npos) << text;
  EXPECT_NE(text.find("# [[shortcut]]\n"), std::string::npos) << text;
  EXPECT_EQ(d.build.code, 0) << d.build.err;
  EXPECT_EQ(d.simulate.code, 0) << d.simulate.err;
}

TEST(InitTest, ChoosesTheOneProgramOrTheOneAtTheTop) {
  struct Case {
    std::vector<std::string> files;
    std::string chosen;
  };
  const Case cases[] = {
      {{"data/x.txt", "tool.exe"}, "tool.exe"},
      {{"bin/only.EXE"}, "bin/only.EXE"},
      {{"app.exe", "tools/helper.exe", "tools/setup.bat"}, "app.exe"},
      {{"a.exe", "b.bat"}, ""},
      {{"x/a.exe", "y/b.exe"}, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChosenProgram(ProgramsOf(c.files)), c.chosen) << c.files.back();
  EXPECT_TRUE(ProgramsOf({"readme.txt", "exe", ".exe.txt", "lib/x.dll"}).empty());
}

TEST(InitTest, TomlStringsReadBackAsWritten) {
  for (const std::string text :
       {"plain", "say \"hi\"", "C:\\dir\\", "tab\there\nline", "\x7f\x01", "演示 程序", ""}) {
    const toml::table t = toml::parse("k = " + TomlString(text));
    EXPECT_EQ(t["k"].value<std::string>(), text) << TomlString(text);
  }
}

TEST(InitTest, ProductIdsAreFreshGuids) {
  std::random_device random;
  const std::regex guid("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
  std::set<std::string> seen;
  for (int i = 0; i < 50; ++i) {
    const std::string id = NewProductId(random);
    EXPECT_TRUE(std::regex_match(id, guid)) << id;
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 50u);
}

}  // namespace
}  // namespace sk::cli::test
