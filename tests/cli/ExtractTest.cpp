#include <gtest/gtest.h>

#include <algorithm>

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
  {
    DefaultMachine machine;
    TCompile model(machine);
    HostOutputStream out(setup);
    std::string stub = FakeStub();
    out.Write(stub.data(), stub.size());
    PackageWriter w(out, static_cast<int64_t>(stub.size()), 1);
    w.WritePreamble();
    const std::pair<uint8_t, std::pair<const char*, const char*>> items[] = {
        {0, {"..\\..\\..\\escape.txt", "..\\..\\..\\tmp"}},
        {0, {"C:\\Windows\\win.ini", "指定目录\\C:\\..\\Windows"}},
        {4, {"\\\\server\\share/page.txt", ""}},  // a ".." here would refuse the package
    };
    for (auto [kind, names] : items) {
      auto f = std::make_unique<TCompileFileData>();
      f->Kind = kind;
      f->SourcePath = G(names.first);
      f->TargetDir = G(names.second);
      std::string data = "data of " + std::string(names.first);
      Region r = w.AppendRegion(data);
      f->DataStart = r.start;
      f->DataEnd = r.end;
      f->UncompressedSize = static_cast<int64_t>(data.size());
      f->FileTime = 45000.5;
      model.FileList().push_back(std::move(f));
    }
    model.Size = 0;  // the trailer's Size: the total of the files to install
    for (const auto& f : model.FileList())
      if (f->Kind == kind::File) model.Size += f->UncompressedSize;
    w.Finish(model);
    out.Close();
  }
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

}  // namespace
}  // namespace sk::cli::test
