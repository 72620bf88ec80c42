#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "CliTest.h"
#include "package/Compile.h"
#include "package/Writer.h"
#include "platform/Encoding.h"
#include "tools/setupkit/CommandLine.h"
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
[uninstaller]
enabled = false
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
  // `bytes` as a setup file: verify reports a fault, the other readers end with exit code 2
  // before they write anything.
  void ExpectRefusedByEveryReader(const std::string& what, const std::string& bytes) {
    fs::path p = dir.Write("bad.exe", bytes);
    Result v = RunCommand(CmdVerify, {dir.Text(p)});
    EXPECT_EQ(v.code, 1) << what << ": " << v.out << v.err;
    EXPECT_NE(v.out.find("fault at offset"), std::string::npos) << what << ": " << v.out;
    const std::vector<std::pair<const char*, std::vector<std::string>>> readers = {
        {"info", {dir.Text(p)}},
        {"list", {dir.Text(p)}},
        {"extract", {dir.Text(p), "-C", dir.Text(dir / "x")}},
        {"simulate", {dir.Text(p), "--root", dir.Text(dir / "machine")}},
    };
    for (const auto& [name, args] : readers) {
      auto cmd = std::string(name) == "info"      ? CmdInfo
                 : std::string(name) == "list"    ? CmdList
                 : std::string(name) == "extract" ? CmdExtract
                                                  : CmdSimulate;
      Result r = RunCommand(cmd, args);
      EXPECT_EQ(r.code, 2) << what << ", " << name << ": " << r.out << r.err;
      EXPECT_NE(r.err.find("damaged or incomplete"), std::string::npos)
          << what << ", " << name << ": " << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "x")) << what;
    EXPECT_FALSE(fs::exists(dir / "machine")) << what;
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
  EXPECT_EQ(j["Size"].get<int64_t>(), plan.model->Package().Size);
  ASSERT_EQ(j["FileList"].size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const auto& f = j["FileList"][i];
    const auto& want = *plan.model->Package().FileList()[i];
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
  EXPECT_EQ(o["AppFile"], GbkToUtf8(plan.model->Package().FileList()[0]->SourcePath));
  EXPECT_EQ(o["RunAppChecked"], 1);
  EXPECT_EQ(o["HomePageChecked"], 1);
  EXPECT_EQ(o["TotalSize"].get<int64_t>(), plan.model->Package().Size);
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

// A cut download, a trailer without settings block, data longer than its record and a support
// file named to leave the staging folder are refused by every command that reads packages, and
// reported by verify.
TEST_F(PackageCommandsTest, DamagedFilesAreRefusedByEveryReader) {
  fs::path out = dir / "setup.exe";
  ASSERT_EQ(Build(out).code, 0);
  const std::string good = ReadAll(out);
  std::string noSettings = good;
  std::fill(noSettings.end() - 8, noSettings.end(), '\0');
  // The package written again with its records changed by `edit` (data regions unchanged).
  auto rewritten = [&](const std::function<void(TCompile&)>& edit) {
    DefaultMachine machine;
    TCompile model(machine);
    HostInputStream in(out);
    model.LoadPackageFrom(in);
    const int64_t settings = model.Package().FileList().back()->DataEnd;
    edit(model);
    std::string bytes = good.substr(0, static_cast<size_t>(settings));
    struct Sink : OutputStream {
      std::string& s;
      explicit Sink(std::string& t) : s(t) {}
      void Write(const void* d, size_t n) override { s.append(static_cast<const char*>(d), n); }
      void Close() override {}
    } sink(bytes);
    PackageWriter w(sink, settings, 1);
    w.Finish(model);
    return bytes;
  };
  // A support file whose name would be staged outside the staging folder.
  auto named = [&](uint8_t kind, const std::string& source) {
    return rewritten([&](TCompile& m) {
      m.Package().FileList()[1]->Kind = kind;
      m.Package().FileList()[1]->SourcePath = source;
    });
  };
  const std::pair<const char*, std::string> bad[] = {
      {"cut in half", good.substr(0, good.size() / 2)},
      {"settings offset 0", noSettings},
      {"data longer than its record",
       rewritten([](TCompile& m) { m.Package().FileList()[1]->UncompressedSize -= 100; })},
      {"registry file named up and out", named(kind::RegFile, "x/../../../Windows/victim.txt")},
      {"page file named on another drive", named(kind::PageFile, "D:\\pics\\C:\\victim.png")},
  };
  for (const auto& [what, bytes] : bad) ExpectRefusedByEveryReader(what, bytes);
}

// Every fault of the trailer, its Size included, is one rule for all readers: what verify
// reports, info, list, extract and simulate (and Setup.exe, through the same pass) refuse.
TEST_F(PackageCommandsTest, TrailerFaultsAreRefusedByEveryReader) {
  fs::path out = dir / "setup.exe";
  ASSERT_EQ(Build(out).code, 0);
  const std::string good = ReadAll(out);
  const auto size = static_cast<int64_t>(good.size());
  int64_t declared = 0, settings = 0;
  std::memcpy(&declared, good.data() + size - 16, 8);
  std::memcpy(&settings, good.data() + size - 8, 8);
  auto trailer = [&](int64_t newSize, int64_t newSettings) {
    std::string bytes = good.substr(0, good.size() - 16);
    bytes.append(reinterpret_cast<const char*>(&newSize), 8);
    bytes.append(reinterpret_cast<const char*>(&newSettings), 8);
    return bytes;
  };
  const std::pair<const char*, std::string> bad[] = {
      {"Size one more than the files", trailer(declared + 1, settings)},
      {"Size negative", trailer(-1, settings)},
      {"Size past any disk", trailer(INT64_MAX, settings)},
      {"settings offset negative", trailer(declared, -1)},
      {"settings offset past the file", trailer(declared, size)},
      {"settings offset inside the file data", trailer(declared, settings - 3)},
      {"trailer cut short", good.substr(0, good.size() - 1)},
  };
  for (const auto& [what, bytes] : bad) ExpectRefusedByEveryReader(what, bytes);
}

// Names from the package reach the terminal with their control characters escaped. (The build
// refuses such file names, so the file list comes from a package made without its checks.)
TEST_F(PackageCommandsTest, ControlCharactersAreShownEscaped) {
  std::string m = kManifest;
  m.replace(m.find("name = \"演示\""), 15, "name = \"演\\u001b]0;title\\u0007示\"");
  fs::path odd = dir.Write("odd.toml", m);
  fs::path out = dir / "odd.exe";
  Result b = RunCommand(CmdBuild, {dir.Text(odd), "-o", dir.Text(out), "--stub", dir.Text(stub),
                                   "--arch", "x64", "-q"});
  ASSERT_EQ(b.code, 0) << b.err;
  Result info = RunCommand(CmdInfo, {dir.Text(out)});
  ASSERT_EQ(info.code, 0) << info.err;
  EXPECT_NE(info.out.find("Project:     演\\x1b]0;title\\x07示"), std::string::npos) << info.out;
  fs::path crafted = dir / "crafted.exe";
  WriteCraftedPackage(crafted, {{0, "Z:\\app\\\x1b[2Jbell\x07.txt", "App"}});
  Result list = RunCommand(CmdList, {dir.Text(crafted)});
  ASSERT_EQ(list.code, 0) << list.err;
  EXPECT_NE(list.out.find("\\x1b[2Jbell\\x07.txt"), std::string::npos) << list.out;
  for (const Result* r : {&info, &list}) {
    EXPECT_EQ(r->out.find('\x1b'), std::string::npos);
    EXPECT_EQ(r->out.find('\x07'), std::string::npos);
  }
  EXPECT_EQ(EscapeControls("a\tb\xc2\x9b["), "a\\x09b\\u009b[");
  // Messages keep their line breaks, and only those.
  const std::pair<std::string, std::string> lines[] = {
      {"a\r\nb", "a\nb"},        {"a\nb\r\n", "a\nb\n"},
      {"\r\n\r\nx", "\n\nx"},    {"a\rb\x1b[2J", "a\\x0db\\x1b[2J"},
      {"a\r\r\nb", "a\\x0d\nb"}, {"\xC2\xB7\r\n\xB2\xBB", "\xE8\xB7\xAF\n\xE4\xB8\x8D"},
  };
  for (const auto& [gbk, shown] : lines) EXPECT_EQ(PrintableLines(gbk), shown) << shown;
}

// A PE32+ image that signing tools accept: headers, one section of 512 bytes.
std::string SignableStub() {
  std::string s(1024, '\0');
  auto put = [&s](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
  };
  s[0] = 'M';
  s[1] = 'Z';
  put(60, 64, 4);
  s.replace(64, 4, std::string("PE\0\0", 4));
  put(68, 0x8664, 2);
  put(70, 1, 2);
  put(84, 240, 2);
  put(88, 0x20B, 2);
  put(88 + 60, 512, 4);
  put(88 + 108, 16, 4);
  s.replace(328, 5, ".text");
  put(328 + 16, 512, 4);
  put(328 + 20, 512, 4);
  return s;
}

// A setup file signed with osslsigncode and a self-signed certificate is read by every command.
TEST_F(PackageCommandsTest, SignedSetupIsReadByEveryCommand) {
#ifdef _WIN32
  GTEST_SKIP() << "signing runs on the host (the end-to-end suite installs a signed setup)";
#else
  stub = dir.Write("pe-stub.exe", SignableStub());
  fs::path plain = dir / "plain.exe";
  ASSERT_EQ(Build(plain).code, 0);
  const std::string d = dir.path().string();
  const std::string sign =
      "cd '" + d +
      "' && openssl req -x509 -newkey rsa:2048 -nodes -subj '/CN=Test Publisher' "
      "-days 2 -keyout key.pem -out cert.pem >/dev/null 2>&1 && osslsigncode sign -certs cert.pem "
      "-key key.pem -n Demo -in plain.exe -out signed.exe >/dev/null";
  ASSERT_EQ(std::system(sign.c_str()), 0)
      << "openssl and osslsigncode are needed (scripts/bootstrap)";
  fs::path signedFile = dir / "signed.exe";
  ASSERT_GT(fs::file_size(signedFile), fs::file_size(plain) + 100);

  Result v = RunCommand(CmdVerify, {dir.Text(signedFile)});
  EXPECT_EQ(v.code, 0) << v.out << v.err;
  EXPECT_NE(v.out.find(": signed (certificate table at "), std::string::npos) << v.out;
  EXPECT_NE(v.out.find("1 entry)\n"), std::string::npos) << v.out;
  Result u = RunCommand(CmdVerify, {dir.Text(plain)});
  EXPECT_NE(u.out.find(": not signed\n"), std::string::npos) << u.out;

  EXPECT_EQ(RunCommand(CmdInfo, {dir.Text(signedFile), "--json"}).out,
            RunCommand(CmdInfo, {dir.Text(plain), "--json"}).out);
  Result l = RunCommand(CmdList, {dir.Text(signedFile)});
  EXPECT_EQ(l.code, 0) << l.err;
  EXPECT_NE(l.out.find("2 files"), std::string::npos) << l.out;
  Result x = RunCommand(CmdExtract, {dir.Text(signedFile), "-C", dir.Text(dir / "x"), "-q"});
  EXPECT_EQ(x.code, 0) << x.err;
  EXPECT_EQ(ReadAll(dir / "x" / "目标计算机" / "Program Files" / "app.exe"), "MZ program");
  Result sim = RunCommand(CmdSimulate, {dir.Text(signedFile), "--root", dir.Text(dir / "m")});
  EXPECT_EQ(sim.code, 0) << sim.out << sim.err;
#endif
}

#ifndef _WIN32
// simulate writes the machine's files through the sandbox: a hard link that an earlier run's
// file was swapped for is replaced, and the outside file keeps its bytes and date. A FIFO
// named as the setup file is refused by every reader instead of blocking it.
TEST_F(PackageCommandsTest, SimulateReplacesHardLinksAndNoReaderWaitsOnAFifo) {
  fs::path out = dir / "setup.exe";
  ASSERT_EQ(Build(out).code, 0);
  fs::path root = dir / "m";
  ASSERT_EQ(RunCommand(CmdSimulate, {dir.Text(out), "--root", dir.Text(root)}).code, 0);
  fs::path installed;
  for (const auto& e : fs::recursive_directory_iterator(root / "C"))
    if (e.path().filename() == "big.txt") installed = e.path();
  ASSERT_FALSE(installed.empty());
  fs::path victim = dir.Write("outside/victim.txt", "outside");
  const auto victimTime = fs::last_write_time(victim);
  fs::remove(installed);
  fs::create_hard_link(victim, installed);
  Result again = RunCommand(CmdSimulate, {dir.Text(out), "--root", dir.Text(root)});
  EXPECT_EQ(again.code, 0) << again.err;
  EXPECT_EQ(ReadAll(victim), "outside");
  EXPECT_EQ(fs::last_write_time(victim), victimTime);
  EXPECT_EQ(ReadAll(installed), ReadAll(dir / "app/data/big.txt"));

  fs::path fifo = dir / "fifo.exe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (auto cmd : {CmdInfo, CmdList, CmdVerify}) {
    Result r = RunCommand(cmd, {dir.Text(fifo)});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
  }
  using Command = int (*)(const std::vector<std::string>&);
  const std::pair<Command, const char*> writers[] = {{CmdExtract, "-C"}, {CmdSimulate, "--root"}};
  for (const auto& [cmd, option] : writers) {
    Result r = RunCommand(cmd, {dir.Text(fifo), option, dir.Text(dir / "x")});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
  }
}
#endif

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
  // The demo packs the built-in uninstaller; a stand-in keeps the test independent of the
  // Windows build.
  fs::path uninstaller = dir.Write("uninst.exe", FakeStub());
  for (const char* name : {"a.exe", "b.exe"}) {
    Result r = RunCommand(CmdBuild,
                          {dir.Text(manifest), "-o", dir.Text(dir / name), "--stub", dir.Text(stub),
                           "--uninstaller", dir.Text(uninstaller), "--arch", "x64", "-q"});
    ASSERT_EQ(r.code, 0) << r.err;
  }
  EXPECT_TRUE(ReadAll(dir / "a.exe") == ReadAll(dir / "b.exe"));
  EXPECT_EQ(RunCommand(CmdVerify, {dir.Text(dir / "a.exe")}).code, 0);
}

}  // namespace
}  // namespace sk::cli::test
