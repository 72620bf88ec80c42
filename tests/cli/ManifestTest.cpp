#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "CliTest.h"
#include "platform/Encoding.h"
#include "tools/setupkit/Builder.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/Manifest.h"

namespace sk::cli::test {
namespace {

namespace fs = std::filesystem;

const char* kProduct = R"([product]
id = "6B29FC40-CA47-1067-B31D-00DD010662DA"
name = "演示"
)";

std::string U(const std::string& gbk) {
  return GbkToUtf8(gbk);
}

class ManifestTest : public testing::Test {
 protected:
  ManifestTest() {
    dir.Write("app/app.exe", "MZ program");
    dir.Write("app/data/a.dat", std::string(1000, 'a'));
    dir.Write("app/data/b.pdb", "symbols");
    dir.Write("license.txt", "terms");
    dir.Write("pic.png", "png");
    dir.Write("comp/Extras/x.dll", "xx");
    dir.Write("comp/Extras/sub/y.dll", "yyy");
    dir.Write("uninst.exe", "MZ uninstaller");
  }
  fs::path Manifest(const std::string& body) const {
    return dir.Write("m.toml", std::string(kProduct) + body);
  }
  BuildPlan Read(const std::string& body) const { return ReadManifest(Manifest(body), "m.toml"); }
  std::string Src(const std::string& rel) const {
    return *Utf8ToGbk(WindowsSourcePath(fs::absolute(dir / rel).lexically_normal()));
  }
  TempDir dir;
};

TEST_F(ManifestTest, FullManifestMapsEveryPart) {
  BuildPlan plan = Read(R"(
[agreement]
file = "license.txt"
header_picture = "pic.png"
[welcome]
picture = "pic.png"
[finish]
run = "app/app.exe"
[[file]]
source = "app"
exclude = ["*.pdb"]
no_overwrite = true
[[folder]]
target = "{app}/logs"
[[component]]
name = "Extras"
source = "comp/Extras"
[[registry]]
key = 'HKLM\SOFTWARE\Demo'
name = "Size"
type = "dword"
value = 26
[[shortcut]]
place = "start_menu"
folder = "Tools"
name = "App"
target = "app/app.exe"
icon = "app/app.exe"
[uninstaller]
source = "uninst.exe"
)");
  const TCompile& m = *plan.model;
  EXPECT_EQ(m.Package().Serial, "6B29FC40-CA47-1067-B31D-00DD010662DA");

  // Kind order: files, folders, component files, page files (one per host file), uninstaller.
  std::vector<std::pair<uint8_t, std::string>> items;
  for (const auto& f : m.Package().FileList()) items.push_back({f->Kind, U(f->TargetDir)});
  std::vector<std::pair<uint8_t, std::string>> want = {{0, "目标计算机\\Program Files\\"},
                                                       {0, "目标计算机\\Program Files\\data"},
                                                       {1, "目标计算机\\Program Files"},
                                                       {3, U(Src("comp/Extras")) + "\\"},
                                                       {3, U(Src("comp/Extras")) + "\\"},
                                                       {4, ""},
                                                       {4, ""},
                                                       {5, ""}};
  EXPECT_EQ(items, want);
  EXPECT_EQ(U(m.Package().FileList()[2]->Name), "logs");
  EXPECT_EQ(m.Package().FileList()[0]->SourcePath, Src("app/app.exe"));
  EXPECT_EQ(m.Package().FileList()[0]->NoOverwrite, 1);
  EXPECT_EQ(m.Package().FileList()[1]->UncompressedSize, 1000);
  EXPECT_EQ(m.Package().Size, 1000 + 10);  // files to install only
  // Component files carry their folder as a prefix of their SourcePath.
  const auto& y = *m.Package().FileList()[4];
  EXPECT_EQ(y.SourcePath.rfind(y.TargetDir, 0), 0u);
  ASSERT_EQ(m.Package().CompList().size(), 1u);
  EXPECT_EQ(m.Package().CompList()[0]->Size, 5);
  // Data sources: every item but the folder, in list order.
  ASSERT_EQ(plan.sources.size(), 7u);
  EXPECT_EQ(plan.sources[2].item, 3u);

  // Settings that name files carry the items' SourcePath.
  auto setting = [&](int group, const std::string& name) {
    for (const auto& s : m.Package().InfoList())
      if (s->Group == group && U(s->Name) == name) return U(s->Value);
    return std::string("<absent>");
  };
  EXPECT_EQ(setting(3, "协议文件"), U(Src("license.txt")));
  EXPECT_EQ(setting(2, "背景图片"), U(Src("pic.png")));
  EXPECT_EQ(setting(12, "应用程序文件"), U(Src("app/app.exe")));
  EXPECT_EQ(setting(1, "安装协议"), "启用");
  EXPECT_EQ(setting(1, "附加任务"), "不启用");
  EXPECT_EQ(setting(8, "默认安装路径"), "[System ProgramFiles]\\演示");
  EXPECT_EQ(setting(0, "卸载程序"), "启用");

  ASSERT_EQ(m.Package().ShotCutList().size(), 1u);
  EXPECT_EQ(U(m.Package().ShotCutList()[0]->Folder), "开始菜单\\Tools");
  EXPECT_EQ(m.Package().ShotCutList()[0]->Target, Src("app/app.exe"));
  EXPECT_EQ(m.Package().ShotCutList()[0]->IconFile, Src("app/app.exe"));
  EXPECT_EQ(U(m.Package().ShotCutFolderList().at(0)), "开始菜单\\Tools");
  ASSERT_EQ(m.Package().RegList().size(), 1u);
  EXPECT_EQ(U(m.Package().RegList()[0]->KeyPath), "目标计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Demo");
  EXPECT_EQ(m.Package().RegList()[0]->ValueData, "0000001A");
  EXPECT_EQ(U(m.Package().FileFolderList().at(1)), "目标计算机\\Program Files\\data");
}

TEST_F(ManifestTest, TargetNotations) {
  const std::pair<const char*, const char*> cases[] = {
      {"{app}", "目标计算机\\Program Files\\"},
      {"{APP}/bin/x", "目标计算机\\Program Files\\bin\\x"},
      {"{windows}/system32", "目标计算机\\Windows\\system32"},
      {"D:/Data/", "指定目录\\D:\\Data"},
      {"指定目录\\E:\\Raw", "指定目录\\E:\\Raw"},
  };
  for (auto [target, want] : cases) {
    BuildPlan plan =
        Read(std::string("[[file]]\nsource = \"license.txt\"\ntarget = '") + target + "'\n");
    EXPECT_EQ(U(plan.model->Package().FileList().at(0)->TargetDir), want) << target;
  }
}

TEST_F(ManifestTest, FaultsNameFileAndLine) {
  struct Case {
    const char* what;
    const char* body;  // appended after the 3-line [product] table
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"syntax", "[setup\n", 4, ""},
      {"unknown key", "[setup]\nwizard = false\ncolour = 1\n", 6, "unknown key 'colour'"},
      {"unknown table", "[[files]]\nsource = \"a\"\n", 4, "unknown key 'files'"},
      {"missing file", "[[file]]\nsource = \"nope.txt\"\n", 5, "no such file"},
      {"no group 4", "[[setting]]\ngroup = 4\nname = \"x\"\nvalue = \"y\"\n", 5, "group 4"},
      {"no group 13", "[[setting]]\ngroup = 13\nname = \"x\"\nvalue = \"y\"\n", 5, "group 13"},
      {"shortcut to unpackaged",
       "[[shortcut]]\nplace = \"desktop\"\nname = \"L\"\ntarget = \"license.txt\"\n", 7,
       "not a packaged file"},
      {"run not packaged", "[finish]\nrun = \"license.txt\"\n", 5, "not a packaged file"},
      {"not GBK", "[welcome]\ncompany = \"\xF0\x9F\x98\x80\"\n", 5, "GBK"},
      {"not UTF-8", "[welcome]\ncompany = \"caf\xE9\"\n", 5, "not UTF-8"},
      {"bad root key", "[[registry]]\nkey = 'HKXX\\Soft'\n", 5, "root key"},
      {"dotdot target", "[[file]]\nsource = \"license.txt\"\ntarget = \"{app}/../x\"\n", 6, "'..'"},
      {"bad shortcut place",
       "[[shortcut]]\nplace = \"taskbar\"\nname = \"x\"\nurl = \"http://a\"\n", 5, "place"},
      {"wrong type", "[setup]\nwizard = \"yes\"\nreboot = 1\n", 6, "true or false"},
      // Non-ASCII characters outside strings (some sent the TOML library down a path it
      // marks unreachable); strings and comments may hold them.
      {"letter after a value",
       "# caf\xC3\xA9 \xD0\x96\n[welcome]\ncompany = \"caf\xC3\xA9 '\\\" \xD0\x96\" \xC3\xA9\n", 6,
       "outside ASCII"},
      {"letter in a bare key", "[welcome]\nnote = '''\n\xC3\xA9'''\nN\xCB\xBC = 1\n", 7,
       "outside ASCII"},
  };
  for (const Case& c : cases) {
    Manifest(c.body);
    try {
      ReadManifest(dir / "m.toml", "m.toml");
      ADD_FAILURE() << c.what << ": no error";
    } catch (const ManifestError& e) {
      std::string msg = GbkToUtf8(e.what());
      EXPECT_EQ(msg.rfind("m.toml:" + std::to_string(c.line) + ": ", 0), 0u)
          << c.what << ": " << msg;
      EXPECT_NE(msg.find(c.message), std::string::npos) << c.what << ": " << msg;
    }
  }
}

TEST_F(ManifestTest, SettingGroupsAtTheEdgesAreAccepted) {
  for (int group : {0, 3, 5, 12}) {
    BuildPlan plan = Read("[[setting]]\ngroup = " + std::to_string(group) +
                          "\nname = \"自定义\"\nvalue = \"v\"\n");
    const auto& list = plan.model->Package().InfoList();
    const bool found = std::any_of(list.begin(), list.end(), [&](const auto& s) {
      return s->Group == group && U(s->Name) == "自定义" && s->Value == "v";
    });
    EXPECT_TRUE(found) << "group " << group;
  }
}

// An integer with limits takes both limits themselves and refuses one past either.
TEST_F(ManifestTest, IntegerLimitsAreInclusive) {
  struct Case {
    int64_t value;
    bool accepted;
  } cases[] = {{-1, false}, {0, true}, {1, true}, {254, true}, {255, true}, {256, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const std::string body =
        "[[file]]\nsource = \"license.txt\"\nreserved_flag = " + std::to_string(c.value) + "\n";
    if (!c.accepted) {
      EXPECT_THROW(Read(body), ManifestError);
      continue;
    }
    const BuildPlan plan = Read(body);
    const auto& files = plan.model->Package().FileList();
    const bool found = std::any_of(files.begin(), files.end(), [&](const auto& f) {
      return f->ReservedFlag == static_cast<uint8_t>(c.value);
    });
    EXPECT_TRUE(found);
  }
}

TEST_F(ManifestTest, BadGuidAndMissingProduct) {
  dir.Write("g.toml", "[product]\nid = \"{6B29FC40-CA47-1067-B31D-00DD010662DA}\"\nname = \"x\"\n");
  EXPECT_THROW(ReadManifest(dir / "g.toml", "g.toml"), ManifestError);
  dir.Write("p.toml", "[setup]\nwizard = true\n");
  EXPECT_THROW(ReadManifest(dir / "p.toml", "p.toml"), ManifestError);
}

TEST_F(ManifestTest, FailedBuildLeavesNoOutput) {
  fs::path stub = dir.Write("stub.exe", FakeStub());
  fs::path manifest = Manifest("[[file]]\nsource = \"missing.bin\"\n");
  fs::path out = dir / "out.exe";
  Result r = RunCommand(CmdBuild, {dir.Text(manifest), "-o", dir.Text(out), "--stub",
                                   dir.Text(stub), "--arch", "x64", "-q"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("setupkit: error: "), std::string::npos);
  EXPECT_NE(r.err.find(":5: no such file"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(out));
  EXPECT_FALSE(fs::exists(dir / "out.exe.partial"));
}

#ifndef _WIN32
// The output is written beside its name and renamed over it: a build that fails half-way
// leaves no temporary file, and a hard link at the output name is replaced, not written.
TEST_F(ManifestTest, BuildReplacesTheOutputNameAndLeavesNoTemporaryFile) {
  fs::path stub = dir.Write("stub.exe", FakeStub());
  fs::path out = dir / "out/setup.exe";
  fs::create_directories(out.parent_path());
  fs::path victim = dir.Write("victim.exe", "outside");
  const auto victimTime = fs::last_write_time(victim);
  fs::create_hard_link(victim, out);
  BuildPlan plan = Read("[[file]]\nsource = \"app\"\n");
  BuildSetup(plan, stub, out, {});
  EXPECT_EQ(ReadAll(victim), "outside");
  EXPECT_EQ(fs::last_write_time(victim), victimTime);
  EXPECT_EQ(ReadAll(out).substr(0, FakeStub().size()), FakeStub());

  BuildPlan shrinking = Read("[[file]]\nsource = \"app\"\n");
  dir.Write("app/data/a.dat", "shorter now");
  EXPECT_THROW(BuildSetup(shrinking, stub, dir / "out/second.exe", {}), Error);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(out.parent_path()))
    left.push_back(HostPathText(e.path().filename()));
  EXPECT_EQ(left, std::vector<std::string>{"setup.exe"});
}

// A link out of the source folder is refused with its line and target; the command line opts
// in. A picture is checked as a [[file]] source is, and a FIFO never blocks the build.
TEST_F(ManifestTest, LinksOutOfTheFolderNeedFollowLinks) {
  fs::path stub = dir.Write("stub.exe", FakeStub());
  dir.Write("secret/key.txt", "secret");
  fs::create_symlink("../../secret/key.txt", dir / "app/data/key.txt");
  fs::path manifest = Manifest("[[file]]\nsource = \"app\"\n[uninstaller]\nenabled = false\n");
  fs::path out = dir / "out.exe";
  std::vector<std::string> args = {dir.Text(manifest), "-o",     dir.Text(out), "--stub",
                                   dir.Text(stub),     "--arch", "x64",         "-q"};
  Result refused = RunCommand(CmdBuild, args);
  EXPECT_EQ(refused.code, 2);
  EXPECT_NE(refused.err.find("m.toml:5: "), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("app/data/key.txt: is a symbolic link to"), std::string::npos);
  EXPECT_NE(refused.err.find("secret/key.txt, outside"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(out));
  args.push_back("--follow-links");
  Result followed = RunCommand(CmdBuild, args);
  EXPECT_EQ(followed.code, 0) << followed.err;
  EXPECT_NE(followed.out.find("4 files"), std::string::npos) << followed.out;

  fs::create_symlink("../secret/key.txt", dir / "pic-link.png");
  ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0600), 0);
  for (const char* picture : {"pic-link.png", "fifo.png"}) {
    try {
      Read(std::string("[welcome]\npicture = \"") + picture + "\"\n");
      ADD_FAILURE() << picture;
    } catch (const ManifestError& e) {
      EXPECT_NE(std::string(e.what()).find("m.toml:5: "), std::string::npos) << e.what();
    }
  }
}

// A file deeper than the host's longest path cannot be read: the build says so instead of
// leaving it out.
TEST_F(ManifestTest, FilesBeyondTheLongestPathAreReported) {
  const std::string name(200, 'd');
  int fd = ::open((dir / "app").c_str(), O_RDONLY | O_DIRECTORY);
  std::vector<int> fds;
  for (int i = 0; i < 25 && fd >= 0; ++i) {  // about 5,000 bytes below app/
    ASSERT_EQ(::mkdirat(fd, name.c_str(), 0700), 0);
    fds.push_back(fd);
    fd = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
  }
  ASSERT_GE(fd, 0);
  ::close(::openat(fd, "deep.txt", O_WRONLY | O_CREAT, 0600));
  try {
    Read("[[file]]\nsource = \"app\"\n");
    ADD_FAILURE() << "the deep file was left out quietly";
  } catch (const ManifestError& e) {
    EXPECT_NE(std::string(e.what()).find("cannot be examined"), std::string::npos) << e.what();
  }
  // Removed from the bottom up, through the open folders (their paths are too long to name).
  ::unlinkat(fd, "deep.txt", 0);
  ::close(fd);
  while (!fds.empty()) {
    ::unlinkat(fds.back(), name.c_str(), AT_REMOVEDIR);
    ::close(fds.back());
    fds.pop_back();
  }
}
#endif

}  // namespace
// A manifest without [uninstaller] still gives the product an uninstaller, setupkit's own;
// `enabled = false` goes without; the build says which one it packed.
TEST_F(ManifestTest, AnUninstallerUnlessSwitchedOff) {
  const struct {
    const char* body;
    const char* uninsSetting;  // the value of 卸载程序 the package carries
    bool builtin;
    const char* line;  // what the build says
  } cases[] = {
      {"", "启用", true, "uninstaller: setupkit's own ("},
      {"[uninstaller]\n", "启用", true, "uninstaller: setupkit's own ("},
      {"[uninstaller]\nenabled = false\n", "不启用", false, "uninstaller: none (switched off"},
      {"[uninstaller]\nsource = \"uninst.exe\"\n", "启用", false,
       "uninstaller: the manifest's uninst.exe"},
      {"[uninstaller]\nsource = \"uninst.exe\"\nenabled = false\n", "不启用", false,
       "uninstaller: packed but switched off, the manifest's uninst.exe"},
  };
  fs::path stub = dir.Write("stub.exe", FakeStub());
  fs::path builtin = dir.Write("own-uninst.exe", FakeStub());
  for (const auto& c : cases) {
    const BuildPlan plan = Read(c.body);
    EXPECT_EQ(plan.builtinUninstaller, c.builtin) << c.body;
    std::string value;
    for (const auto& d : plan.model->Package().InfoList())
      if (d->Name == setting::kEnableUnIns.name) value = U(d->Value);
    EXPECT_EQ(value, c.uninsSetting) << c.body;

    fs::path out = dir / "out.exe";
    Result r = RunCommand(
        CmdBuild, {dir.Text(Manifest(c.body)), "-o", dir.Text(out), "--stub", dir.Text(stub),
                   "--uninstaller", dir.Text(builtin), "--arch", "x64", "-q"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(c.line), std::string::npos) << c.body << "\n" << r.out;
  }
}

}  // namespace sk::cli::test
