// Shortcut files through the engine writers, read back through the platform.
#include "engine/ShellLinks.h"

#include <gtest/gtest.h>

#include "platform/LnkFormat.h"
#include "tests/support/TestMachine.h"

namespace sk {
namespace {

class Shortcuts : public ::testing::Test {
 protected:
  std::string ReadAll(const std::string& path) {
    auto in = p.OpenRead(path);
    std::string data(static_cast<size_t>(in->Size()), '\0');
    data.resize(in->Read(data.data(), data.size()));
    return data;
  }
  void Touch(const std::string& path) { p.CreateFile(path)->Close(); }

  std::unique_ptr<test::TestMachine> m = test::MakeTestMachine();
  Platform& p = m->platform();
  std::string dir = m->root().substr(0, m->root().size() - 1);  // no trailing backslash
};

TEST_F(Shortcuts, UniqueNamesAccumulateSuffixes) {
  struct Case {
    std::vector<std::string> present;
    std::string expected;
  } cases[] = {
      {{}, "App"},
      {{"App.lnk"}, "App(1)"},
      {{"App.lnk", "App(1).lnk"}, "App(1)(2)"},
      {{"App.lnk", "App(1).lnk", "App(1)(2).lnk"}, "App(1)(2)(3)"},
      {{"App.url", "App(2).lnk"}, "App"},  // other extensions do not count
  };
  for (const Case& c : cases) {
    std::string folder = dir + "\\" + test::UniqueName();
    ASSERT_TRUE(p.CreateDirectory(folder));
    for (const std::string& f : c.present) Touch(folder + "\\" + f);
    std::string name = "App";
    MakeUniqueName(p, folder, name, ".lnk");
    EXPECT_EQ(name, c.expected);
  }
  // A folder of that name is not a file.
  ASSERT_TRUE(p.CreateDirectory(dir + "\\Dir.lnk"));
  std::string name = "Dir";
  MakeUniqueName(p, dir, name, ".lnk");
  EXPECT_EQ(name, "Dir");
}

TEST_F(Shortcuts, ShellLinkPropertiesReadBack) {
  std::string target = dir + "\\App\\\xB3\xCC\xD0\xF2.exe";  // "程序.exe"
  struct Case {
    std::string target, args, description, icon, workingDir;
  } cases[] = {
      {target, "-x \"a b\"", "\xC3\xE8\xCA\xF6", target, dir + "\\App\\"},
      {target, "", "", "", dir + "\\App\\"},
      {dir + "\\App\\", "", "folder", "", dir + "\\App\\"},  // a folder link
  };
  ASSERT_TRUE(p.CreateDirectory(dir + "\\App"));
  Touch(target);
  int n = 0;
  for (const Case& c : cases) {
    std::string file = "link" + std::to_string(n++) + ".lnk";
    CreateShellLink(p, dir, file, c.target, c.args, c.description, c.icon);
    std::optional<ShellLinkInfo> link = p.ReadShellLink(dir + "\\" + file);
    ASSERT_TRUE(link) << file;
    // Windows may report the target in its stored spelling; compare case-insensitively.
    EXPECT_STRCASEEQ(link->target.c_str(), c.target.c_str());
    EXPECT_EQ(link->arguments, c.args);
    EXPECT_EQ(link->description, c.description);
    EXPECT_STRCASEEQ(link->workingDir.c_str(), c.workingDir.c_str());
    EXPECT_STRCASEEQ(link->iconPath.c_str(), c.icon.c_str());
    EXPECT_EQ(link->iconIndex, 0);
    EXPECT_EQ(link->showCommand, show::Normal);
  }
  // A link into a missing folder is not saved, without an error.
  CreateShellLink(p, dir + "\\missing", "x.lnk", target, "", "", "");
  EXPECT_FALSE(p.FileExists(dir + "\\missing\\x.lnk"));
}

TEST_F(Shortcuts, UrlFileBytes) {
  struct Case {
    std::string folder, name, icon, expected;
  } cases[] = {
      {dir, "Site", "", "[InternetShortcut]\r\nURL=http://example.com/\r\n"},
      {dir + "\\", "Icon", "C:\\i.ico",
       "[InternetShortcut]\r\nURL=http://example.com/\r\nIconFile=C:\\i.ico\r\nIconIndex=0\r\n"},
  };
  for (const Case& c : cases) {
    CreateUrlShortcut(p, c.name, "http://example.com/", c.folder, c.icon);
    EXPECT_EQ(ReadAll(dir + "\\" + c.name + ".url"), c.expected);
  }
  // An existing file is replaced; a missing folder is passed over silently.
  CreateUrlShortcut(p, "Site", "http://other/", dir, "");
  EXPECT_EQ(ReadAll(dir + "\\Site.url"), "[InternetShortcut]\r\nURL=http://other/\r\n");
  CreateUrlShortcut(p, "Site", "http://other/", dir + "\\missing", "");
  EXPECT_FALSE(p.FileExists(dir + "\\missing\\Site.url"));
}

// Links from the portable writer, read by this machine's reader (on Windows the shell's own).
TEST_F(Shortcuts, PortableWriterIsReadByThePlatform) {
  ASSERT_TRUE(p.CreateDirectory(dir + "\\Tool"));
  std::string target = dir + "\\Tool\\\xB9\xA4\xBE\xDF.exe";  // "工具.exe"
  Touch(target);
  ShellLinkInfo link{target,           "/a \"b c\"",          "\xCB\xB5\xC3\xF7",
                     dir + "\\Tool\\", dir + "\\Tool\\t.ico", 2,
                     show::Maximized};
  std::string bytes = BuildShellLink(link);
  auto out = p.CreateFile(dir + "\\portable.lnk");
  out->Write(bytes.data(), bytes.size());
  out->Close();
  std::optional<ShellLinkInfo> back = p.ReadShellLink(dir + "\\portable.lnk");
  ASSERT_TRUE(back);
  EXPECT_STRCASEEQ(back->target.c_str(), link.target.c_str());
  EXPECT_EQ(back->arguments, link.arguments);
  EXPECT_EQ(back->description, link.description);
  EXPECT_STRCASEEQ(back->workingDir.c_str(), link.workingDir.c_str());
  EXPECT_STRCASEEQ(back->iconPath.c_str(), link.iconPath.c_str());
  EXPECT_EQ(back->iconIndex, 2);
  // Wine's shell-link object reports every show command as normal.
  if (!test::UnderWine()) {
    EXPECT_EQ(back->showCommand, show::Maximized);
  }
}

TEST(ShellLinkFolderPart, GbkAware) {
  struct Case {
    std::string path, folder;
  } cases[] = {
      {"C:\\App\\app.exe", "C:\\App\\"},
      {"C:\\App\\", "C:\\App\\"},
      {"C:app.exe", "C:"},
      {"app.exe", ""},
      {"C:\\\x81\x5C", "C:\\"},  // the trail byte 0x5C is not a separator
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractFolderPart(c.path), c.folder) << c.path;
}

}  // namespace
}  // namespace sk
