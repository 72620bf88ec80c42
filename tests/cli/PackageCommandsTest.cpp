#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "CliTest.h"
#include "package/Compile.h"
#include "package/Writer.h"
#include "platform/Encoding.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/DefaultMachine.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/Manifest.h"

namespace sk::cli::test {
namespace {

namespace fs = std::filesystem;

const char* kManifest = R"([product]
id = "6B29FC40-CA47-1067-B31D-00DD010662DA"
name = "演示"
version = "2.0"
[setup]
wizard = false
[finish]
run = "app/app.exe"
home_page = "http://example.invalid/"
[[file]]
source = "app"
[[shortcut]]
place = "desktop"
name = "演示"
target = "app/app.exe"
)";

// A built setup program over a small tree, with the fake stub.
class PackageCommandsTest : public testing::Test {
 protected:
  PackageCommandsTest() {
    dir.Write("app/app.exe", "MZ program");
    std::string big;
    for (int64_t i = 0; i < 700000; ++i) big += std::to_string(i * 7919 % 10007);  // > one piece
    dir.Write("app/data/big.txt", big);
    stub = dir.Write("stub.exe", FakeStub());
    manifest = dir.Write("demo.toml", kManifest);
  }
  Result Build(const fs::path& out) {
    return RunCommand(CmdBuild, {dir.Text(manifest), "-o", dir.Text(out), "--stub", dir.Text(stub),
                                 "--arch", "x64", "-q", "-j", "2"});
  }
  TempDir dir;
  fs::path stub, manifest;
};

TEST_F(PackageCommandsTest, BuildInfoRoundTrip) {
  fs::path out = dir / "setup.exe";
  Result b = Build(out);
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_NE(b.out.find("2 files"), std::string::npos) << b.out;

  Result r = RunCommand(CmdInfo, {dir.Text(out), "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  BuildPlan plan = ReadManifest(manifest, "demo.toml");  // what the build wrote, minus offsets

  EXPECT_EQ(j["Serial"], "6B29FC40-CA47-1067-B31D-00DD010662DA");
  EXPECT_EQ(j["ItemName"], "演示");
  EXPECT_EQ(j["Version"], "2.0");
  EXPECT_EQ(j["Patched"], false);
  EXPECT_EQ(j["Size"].get<int64_t>(), plan.model->Size);
  ASSERT_EQ(j["FileList"].size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const auto& f = j["FileList"][i];
    const auto& want = *plan.model->FileList()[i];
    EXPECT_EQ(f["SourcePath"], GbkToUtf8(want.SourcePath));
    EXPECT_EQ(f["TargetDir"], GbkToUtf8(want.TargetDir));
    EXPECT_EQ(f["FileTime"].get<double>(), want.FileTime);  // exact
    EXPECT_EQ(f["UncompressedSize"].get<int64_t>(), want.UncompressedSize);
    EXPECT_LT(f["DataStart"].get<int64_t>(), f["DataEnd"].get<int64_t>());
    EXPECT_EQ(f.size(), 17u);
  }
  EXPECT_GE(j["FileList"][0]["DataStart"].get<int64_t>(), static_cast<int64_t>(FakeStub().size()));
  // Options as the default machine evaluates them.
  const auto& o = j["Options"];
  EXPECT_EQ(o["ShowWizard"], 0);
  EXPECT_EQ(o["InstallDir"], "C:\\Program Files\\演示");
  EXPECT_EQ(o["StartMenuFolder"], "演示");
  EXPECT_EQ(o["AppFile"], GbkToUtf8(plan.model->FileList()[0]->SourcePath));
  EXPECT_EQ(o["RunAppChecked"], 1);
  EXPECT_EQ(o["HomePageChecked"], 1);
  EXPECT_EQ(o["TotalSize"].get<int64_t>(), plan.model->Size);
  EXPECT_EQ(j["ShotCutList"][0]["Folder"], "桌面\\");
  EXPECT_EQ(j["ShotCutList"][0]["Target"], o["AppFile"]);

  Result v = RunCommand(CmdVerify, {dir.Text(out)});
  EXPECT_EQ(v.code, 0) << v.out << v.err;

  Result l = RunCommand(CmdList, {dir.Text(out)});
  ASSERT_EQ(l.code, 0);
  EXPECT_NE(l.out.find("file       "), std::string::npos);
  EXPECT_NE(l.out.find("目标计算机\\Program Files\\data\\big.txt"), std::string::npos) << l.out;
  EXPECT_NE(l.out.find("2 files"), std::string::npos);
}

TEST_F(PackageCommandsTest, BuildsAreReproducible) {
  ASSERT_EQ(Build(dir / "one.exe").code, 0);
  ASSERT_EQ(RunCommand(CmdBuild, {dir.Text(manifest), "-o", dir.Text(dir / "two.exe"), "--stub",
                                  dir.Text(stub), "--arch", "x64", "-q", "-j", "1"})
                .code,
            0);
  std::string one = ReadAll(dir / "one.exe"), two = ReadAll(dir / "two.exe");
  EXPECT_GT(one.size(), 1000u);
  EXPECT_TRUE(one == two);
}

TEST_F(PackageCommandsTest, VerifyFindsCorruption) {
  fs::path out = dir / "setup.exe";
  ASSERT_EQ(Build(out).code, 0);
  auto j = nlohmann::json::parse(RunCommand(CmdInfo, {dir.Text(out), "--json"}).out);
  const int64_t start = j["FileList"][1]["DataStart"].get<int64_t>();
  const std::string good = ReadAll(out);
  const int64_t size = static_cast<int64_t>(good.size());

  struct Case {
    const char* what;
    int64_t at;        // byte to change
    char value;        // new value
    int64_t offset;    // fault offset reported
    const char* text;  // part of the message
  };
  const Case cases[] = {
      {"deflate data", start + 40, 0x55, start, "does not inflate"},
      {"chunk length", start + 1, 0x7f, start, "chunk"},
      {"settings offset", size - 1, 0x40, size - 8, "settings offset"},
      {"trailer Size", size - 16, 0x01, size - 16, "trailer Size"},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    bad[static_cast<size_t>(c.at)] = static_cast<char>(bad[static_cast<size_t>(c.at)] ^ c.value);
    fs::path p = dir / "bad.exe";
    std::ofstream(p, std::ios::binary).write(bad.data(), static_cast<std::streamsize>(bad.size()));
    Result v = RunCommand(CmdVerify, {dir.Text(p)});
    EXPECT_EQ(v.code, 1) << c.what << ": " << v.out << v.err;
    EXPECT_NE(v.out.find("fault at offset " + std::to_string(c.offset) + ":"), std::string::npos)
        << c.what << ": " << v.out;
    EXPECT_NE(v.out.find(c.text), std::string::npos) << c.what << ": " << v.out;
  }
}

TEST_F(PackageCommandsTest, BadPackageIsAnErrorWithNothingOnStdout) {
  fs::path junk = dir.Write("junk.exe", FakeStub() + std::string(40, '\x7f'));
  for (auto cmd : {CmdInfo, CmdList}) {
    Result r = RunCommand(cmd, {dir.Text(junk)});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("setupkit: error: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  Result missing = RunCommand(CmdVerify, {dir.Text(dir / "none.exe")});
  EXPECT_EQ(missing.code, 2);
}

}  // namespace
}  // namespace sk::cli::test

namespace sk::cli::test {
namespace {

TEST(DemoInstaller, BuildsReproducibly) {
  const char* src = std::getenv("SETUPKIT_SOURCE_DIR");
  if (!src) GTEST_SKIP() << "SETUPKIT_SOURCE_DIR not set (run through ctest)";
  std::string root = src;
#ifdef _WIN32
  if (!root.empty() && root[0] == '/') root = "Z:" + root;  // the host tree as Wine sees it
#endif
  fs::path manifest = HostPath(root) / "examples" / "demo" / "demo.toml";
  TempDir dir;
  fs::path stub = dir.Write("stub.exe", FakeStub());
  for (const char* name : {"a.exe", "b.exe"}) {
    Result r = RunCommand(CmdBuild, {dir.Text(manifest), "-o", dir.Text(dir / name), "--stub",
                                     dir.Text(stub), "--arch", "x64", "-q"});
    ASSERT_EQ(r.code, 0) << r.err;
  }
  EXPECT_TRUE(ReadAll(dir / "a.exe") == ReadAll(dir / "b.exe"));
  EXPECT_EQ(RunCommand(CmdVerify, {dir.Text(dir / "a.exe")}).code, 0);
}

}  // namespace
}  // namespace sk::cli::test
