#include <gtest/gtest.h>

#include "CliTest.h"
#include "platform/Encoding.h"
#include "tools/setupkit/Commands.h"
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
  EXPECT_EQ(m.Serial, "6B29FC40-CA47-1067-B31D-00DD010662DA");

  // Kind order: files, folders, component files, page files (one per host file), uninstaller.
  std::vector<std::pair<uint8_t, std::string>> items;
  for (const auto& f : m.FileList()) items.push_back({f->Kind, U(f->TargetDir)});
  std::vector<std::pair<uint8_t, std::string>> want = {{0, "目标计算机\\Program Files\\"},
                                                       {0, "目标计算机\\Program Files\\data"},
                                                       {1, "目标计算机\\Program Files"},
                                                       {3, U(Src("comp/Extras")) + "\\"},
                                                       {3, U(Src("comp/Extras")) + "\\"},
                                                       {4, ""},
                                                       {4, ""},
                                                       {5, ""}};
  EXPECT_EQ(items, want);
  EXPECT_EQ(U(m.FileList()[2]->Name), "logs");
  EXPECT_EQ(m.FileList()[0]->SourcePath, Src("app/app.exe"));
  EXPECT_EQ(m.FileList()[0]->NoOverwrite, 1);
  EXPECT_EQ(m.FileList()[1]->UncompressedSize, 1000);
  EXPECT_EQ(m.Size, 1000 + 10);  // files to install only
  // Component files carry their folder as a prefix of their SourcePath.
  const auto& y = *m.FileList()[4];
  EXPECT_EQ(y.SourcePath.rfind(y.TargetDir, 0), 0u);
  ASSERT_EQ(m.CompList().size(), 1u);
  EXPECT_EQ(m.CompList()[0]->Size, 5);
  // Data sources: every item but the folder, in list order.
  ASSERT_EQ(plan.sources.size(), 7u);
  EXPECT_EQ(plan.sources[2].item, 3u);

  // Settings that name files carry the items' SourcePath.
  auto setting = [&](int group, const std::string& name) {
    for (const auto& s : m.InfoList())
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

  ASSERT_EQ(m.ShotCutList().size(), 1u);
  EXPECT_EQ(U(m.ShotCutList()[0]->Folder), "开始菜单\\Tools");
  EXPECT_EQ(m.ShotCutList()[0]->Target, Src("app/app.exe"));
  EXPECT_EQ(m.ShotCutList()[0]->IconFile, Src("app/app.exe"));
  EXPECT_EQ(U(m.ShotCutFolderList().at(0)), "开始菜单\\Tools");
  ASSERT_EQ(m.RegList().size(), 1u);
  EXPECT_EQ(U(m.RegList()[0]->KeyPath), "目标计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Demo");
  EXPECT_EQ(m.RegList()[0]->ValueData, "0000001A");
  EXPECT_EQ(U(m.FileFolderList().at(1)), "目标计算机\\Program Files\\data");
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
    EXPECT_EQ(U(plan.model->FileList().at(0)->TargetDir), want) << target;
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
    const auto& list = plan.model->InfoList();
    const bool found = std::any_of(list.begin(), list.end(), [&](const auto& s) {
      return s->Group == group && U(s->Name) == "自定义" && s->Value == "v";
    });
    EXPECT_TRUE(found) << "group " << group;
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

}  // namespace
}  // namespace sk::cli::test
