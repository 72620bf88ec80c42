#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "CliTest.h"
#include "package/Writer.h"
#include "platform/Encoding.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/DefaultMachine.h"
#include "tools/setupkit/ExtractPaths.h"
#include "tools/setupkit/HostFiles.h"

namespace sk::cli::test {
namespace {

namespace fs = std::filesystem;

std::string G(const std::string& utf8) {
  return *Utf8ToGbk(utf8);
}

TEST(ExtractPaths, ItemsLandBelowTheFolder) {
  struct Case {
    uint8_t kind;
    const char* name;
    const char* source;
    const char* target;
    const char* want;
  };
  const Case cases[] = {
      {0, "", "Z:\\b\\app.exe", "目标计算机\\Program Files\\App",
       "目标计算机/Program Files/App/app.exe"},
      {0, "", "x.txt", "..\\..\\..\\etc", "etc/x.txt"},
      {0, "", "C:\\..\\..\\up.txt", "指定目录\\C:\\Data", "指定目录/C_/Data/up.txt"},
      {0, "", "a\\..", "/abs/./dir/", "abs/dir/_"},
      {0, "", "con.txt", "x<y>|z?", "x_y__z_/_con.txt"},
      {0, "", "name. . ", "", "name"},
      {1, "..\\logs", "", "目标计算机\\Program Files", "目标计算机/Program Files/logs"},
      {2, "", "Z:\\src\\setup.reg", "", "_support/Reg/setup.reg"},
      {3, "..", "Z:\\c\\E\\bin\\a.dll", "Z:\\c\\E\\", "_support/Comp/_/bin/a.dll"},
      {3, "Base", "Z:\\other\\a.dll", "Z:\\c\\E\\", "_support/Comp/Base/a.dll"},
      {4, "", "Z:\\p\\pic.png", "", "_support/Info/pic.png"},
      {5, "", "Z:\\p\\uninst.exe", "", "_support/Uninstaller/uninst.exe"},
  };
  for (const Case& c : cases) {
    TCompileFileData f;
    f.Kind = c.kind;
    f.Name = G(c.name);
    f.SourcePath = G(c.source);
    f.TargetDir = G(c.target);
    EXPECT_EQ(ExtractPathOf(f).value_or("<none>"), c.want) << c.source << " in " << c.target;
  }
  TCompileFileData odd;
  odd.Kind = 9;
  EXPECT_FALSE(ExtractPathOf(odd));
}

// A package whose names try to escape the extraction folder.
TEST(ExtractCommand, HostileNamesStayInside) {
  TempDir dir;
  fs::path setup = dir / "evil.exe";
  WriteCraftedPackage(setup, {
                                 {0, "..\\..\\..\\escape.txt", "..\\..\\..\\tmp"},
                                 {0, "C:\\Windows\\win.ini", "指定目录\\C:\\..\\Windows"},
                                 // a ".." here would refuse the package
                                 {4, "\\\\server\\share/page.txt", ""},
                             });
  fs::path target = dir / "out";
  Result r = RunCommand(CmdExtract, {dir.Text(setup), "-C", dir.Text(target), "--support"});
  ASSERT_EQ(r.code, 0) << r.err;
  std::vector<std::string> found;
  for (const auto& e : fs::recursive_directory_iterator(dir.path()))
    if (e.is_regular_file()) {
      std::string rel = HostPathText(fs::relative(e.path(), dir.path()));
      std::replace(rel.begin(), rel.end(), '\\', '/');
      found.push_back(rel);
    }
  std::sort(found.begin(), found.end());
  std::vector<std::string> want = {"evil.exe", "out/_support/Info/page.txt", "out/tmp/escape.txt",
                                   "out/指定目录/C_/Windows/win.ini"};
  EXPECT_EQ(found, want);
  EXPECT_EQ(ReadAll(target / "tmp" / "escape.txt"), "data of ..\\..\\..\\escape.txt");

  // Without --support only the files to install are written.
  Result plain = RunCommand(CmdExtract, {dir.Text(setup), "-C", dir.Text(dir / "plain"), "-q"});
  ASSERT_EQ(plain.code, 0);
  EXPECT_FALSE(fs::exists(dir / "plain" / "_support"));
  EXPECT_NE(plain.out.find("extracted 2 files"), std::string::npos) << plain.out;
}

// What stands at an output name is replaced, never written through: a hard link to a file
// outside the folder leaves that file's bytes and date alone; a FIFO is refused (it would
// block the write), leaving nothing half written.
TEST(ExtractCommand, HardLinksAndFifosAtTheNamesAreNeverWrittenThrough) {
#ifdef _WIN32
  GTEST_SKIP() << "hard links and FIFOs are POSIX fixtures";
#else
  TempDir dir;
  fs::path setup = dir / "app.exe";
  WriteCraftedPackage(setup, {{0, "a.txt", "App"}, {0, "b.txt", "App"}});
  fs::path victim = dir.Write("outside/victim.txt", "outside");
  const auto victimTime = fs::last_write_time(victim);
  fs::path out = dir / "out";
  fs::create_directories(out / "App");
  fs::create_hard_link(victim, out / "App" / "a.txt");

  Result r = RunCommand(CmdExtract, {dir.Text(setup), "-C", dir.Text(out), "-q"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadAll(victim), "outside");
  EXPECT_EQ(fs::last_write_time(victim), victimTime);
  EXPECT_EQ(fs::hard_link_count(victim), 1u);
  EXPECT_EQ(ReadAll(out / "App" / "a.txt"), "data of a.txt");
  EXPECT_NE(fs::last_write_time(out / "App" / "a.txt"), victimTime);  // the packaged date
  EXPECT_EQ(std::distance(fs::directory_iterator(out / "App"), fs::directory_iterator()), 2)
      << "no temporary file is left";

  fs::remove(out / "App" / "b.txt");
  ASSERT_EQ(::mkfifo((out / "App" / "b.txt").c_str(), 0600), 0);
  Result fifo = RunCommand(CmdExtract, {dir.Text(setup), "-C", dir.Text(out), "-q"});
  EXPECT_EQ(fifo.code, 2);
  EXPECT_NE(fifo.err.find("b.txt: exists and is not a regular file"), std::string::npos)
      << fifo.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(out / "App"), fs::directory_iterator()), 2);
#endif
}

// Names that sanitising (or case) makes equal never overwrite each other: the later file gets
// a number and a note says so. A file where another item needs a folder is renamed the same way.
TEST(ExtractCommand, CollidingNamesAreNumberedNeverOverwritten) {
  TempDir dir;
  fs::path setup = dir / "app.exe";
  WriteCraftedPackage(setup, {{0, "f.txt.", "App"},
                              {0, "f.txt ", "App"},
                              {0, "F.TXT", "App"},
                              {0, "sub", "App"},
                              {0, "x.txt", "App\\sub"}});
  fs::path out = dir / "out";
  Result r = RunCommand(CmdExtract, {dir.Text(setup), "-C", dir.Text(out), "-q"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::pair<const char*, const char*> want[] = {
      {"App/f.txt", "data of f.txt."},    {"App/f (2).txt", "data of f.txt "},
      {"App/F (3).TXT", "data of F.TXT"}, {"App/sub (2)", "data of sub"},
      {"App/sub/x.txt", "data of x.txt"},
  };
  for (auto [rel, data] : want) EXPECT_EQ(ReadAll(dir / ("out/" + std::string(rel))), data) << rel;
  EXPECT_NE(r.err.find("another item extracts to App/f.txt; this one is written as App/f (2).txt"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("written as App/sub (2)"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("extracted 5 files"), std::string::npos) << r.out;
}

// A name or path longer than the host allows is refused before anything is written, not half
// way through.
TEST(ExtractCommand, OverlongNamesAreRefusedBeforeAnythingIsWritten) {
  [[maybe_unused]] std::string deep;
  for (int i = 0; i < 20; ++i) deep += "\\" + std::string(250, 'd');
  const std::vector<std::pair<CraftedItem, const char*>> cases = {
      {{0, std::string(300, 'n') + ".txt", "App"}, "a name longer than the"},
#ifndef _WIN32  // Windows paths may be 32,767 characters long
      {{0, "x.txt", "App" + deep}, "the path is longer than the"},
#endif
  };
  for (const auto& [item, error] : cases) {
    TempDir dir;
    fs::path setup = dir / "app.exe";
    WriteCraftedPackage(setup, {{0, "first.txt", "App"}, item, {0, "last.txt", "App"}});
    fs::path out = dir / "out";
    Result r = RunCommand(CmdExtract, {dir.Text(setup), "-C", dir.Text(out), "-q"});
    EXPECT_EQ(r.code, 2) << error;
    EXPECT_NE(r.err.find(error), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was extracted"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out / "App")) << error;
  }
}

}  // namespace
}  // namespace sk::cli::test
