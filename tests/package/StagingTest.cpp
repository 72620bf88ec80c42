// Staging of registry, component and page files into a folder of the run's own below the
// temporary folder of a sandbox machine, and its removal at exit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <random>
#include <thread>

#include "package/Staging.h"
#include "platform/sandbox/SandboxPlatform.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::PackageBuilder;
using test::StringInputStream;

const std::string kTemp = "C:\\Users\\user\\AppData\\Local\\Temp\\";

// A sandbox whose random source can be scripted: each RandomBytes call takes the next byte
// pattern while there are any, then falls back to the real source.
class ScriptedRandomSandbox : public SandboxPlatform {
 public:
  using SandboxPlatform::SandboxPlatform;
  bool RandomBytes(void* buffer, size_t n) override {
    if (script.empty()) return SandboxPlatform::RandomBytes(buffer, n);
    std::memset(buffer, script.front(), n);
    script.pop_front();
    return true;
  }
  std::deque<unsigned char> script;
};

class Staging : public ::testing::Test {
 protected:
  Staging() {
    std::random_device rd;
    root_ = std::filesystem::temp_directory_path() / ("sk-staging-" + std::to_string(rd()));
    SandboxConfig config;
    config.root = root_;
    platform_ = std::make_unique<ScriptedRandomSandbox>(config);
    model_ = std::make_unique<TCompile>(*platform_);
  }
  ~Staging() override {
    model_.reset();
    platform_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  // Loads the package and keeps its bytes for staging.
  void Load(PackageBuilder& b) {
    file_ = std::make_unique<StringInputStream>(b.Build());
    model_->LoadPackageFrom(*file_);
  }
  std::string Read(const std::string& path) {
    auto in = platform_->OpenRead(path);
    std::string s(static_cast<size_t>(in->Size()), '\0');
    in->Read(s.data(), s.size());
    return s;
  }

  // Entries of the temporary folder (the runs' staging folders).
  std::vector<std::string> TempEntries() { return platform_->ListDirectory(kTemp); }

  std::filesystem::path root_;
  std::unique_ptr<ScriptedRandomSandbox> platform_;
  std::unique_ptr<TCompile> model_;
  std::unique_ptr<StringInputStream> file_;
};

TEST_F(Staging, EveryKindAndTheReferencesToIt) {
  PackageBuilder b;
  b.File("D:\\app\\main.exe", "T", "program");
  b.File("D:\\build\\setup.reg", "", "REGEDIT4", kind::RegFile);
  b.File("D:\\pkg\\bin\\a.dll", "D:\\pkg\\", "a", kind::CompFile).Name = "Base";
  b.File("D:\\pkg\\b.dll", "D:\\pkg", "b", kind::CompFile).Name = "Base";  // no trailing "\"
  b.File("D:\\pics\\one\\logo.png", "", "first", kind::PageFile);
  b.File("D:\\pics\\two\\logo.png", "", "second", kind::PageFile);
  b.Folder("T", "data");
  b.Setting("pic", "d:\\PICS\\one\\LOGO.png", 2);  // other letter case
  b.Setting("pic", "D:\\pics\\two\\logo.png", 3);
  b.Setting("other", "D:\\pics\\one\\logo.png.bak", 3);
  Load(b);

  std::vector<std::pair<int32_t, int32_t>> progress;
  StageSupportFiles(*model_, *file_, [&](int32_t pos, int32_t max) {
    progress.push_back({pos, max});
  });

  // The run's own folder: a fresh "sk" + 16 hex digits below the temporary folder.
  const std::string T = model_->Run().StagingFolder;
  ASSERT_EQ(T.size(), kTemp.size() + 19) << T;
  EXPECT_EQ(T.substr(0, kTemp.size() + 2), kTemp + "sk");
  EXPECT_EQ(T.substr(kTemp.size() + 2, 16).find_first_not_of("0123456789abcdef"),
            std::string::npos);
  EXPECT_EQ(T.back(), '\\');

  ASSERT_EQ(progress.size(), 7u);
  for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(progress[i], std::make_pair(i + 1, 7));
  const auto& files = model_->Package().FileList();
  EXPECT_EQ(files[0]->SourcePath, "D:\\app\\main.exe");
  EXPECT_EQ(files[1]->SourcePath, T + "Reg\\setup.reg");
  EXPECT_EQ(files[2]->SourcePath, T + "Comp\\Base\\bin\\a.dll");
  EXPECT_EQ(files[2]->TargetDir, T + "Comp\\Base");
  EXPECT_EQ(files[3]->SourcePath, T + "Comp\\Base\\b.dll");
  EXPECT_EQ(files[4]->SourcePath, T + "Info\\logo.png");
  EXPECT_EQ(files[5]->SourcePath, T + "Info\\logo.png");
  EXPECT_EQ(model_->Package().InfoList()[0]->Value, T + "Info\\logo.png");
  EXPECT_EQ(model_->Package().InfoList()[1]->Value, T + "Info\\logo.png");
  EXPECT_EQ(model_->Package().InfoList()[2]->Value, "D:\\pics\\one\\logo.png.bak");
  EXPECT_EQ(model_->Run().StagedFiles,
            (StringList{T + "Reg\\setup.reg", T + "Comp\\Base\\bin\\a.dll", T + "Comp\\Base\\b.dll",
                        T + "Info\\logo.png", T + "Info\\logo.png"}));
  EXPECT_EQ(Read(T + "Reg\\setup.reg"), "REGEDIT4");
  EXPECT_EQ(Read(T + "Comp\\Base\\bin\\a.dll"), "a");
  EXPECT_EQ(Read(T + "Comp\\Base\\b.dll"), "b");
  EXPECT_EQ(Read(T + "Info\\logo.png"), "second");

  // One staged file vanished before exit, and a component setup left files of its own (one of
  // them read-only): all of it goes with the run's folder; the list stays.
  ASSERT_TRUE(platform_->DeleteFile(T + "Comp\\Base\\b.dll"));
  ASSERT_TRUE(platform_->ForceDirectories(T + "Comp\\Base\\logs"));
  platform_->CreateFile(T + "Comp\\Base\\logs\\setup.log")->Close();
  ASSERT_TRUE(platform_->SetFileAttributes(T + "Comp\\Base\\logs\\setup.log", attr::ReadOnly));
  DeleteStagedFiles(*model_);
  EXPECT_FALSE(platform_->DirectoryExists(T));
  EXPECT_TRUE(TempEntries().empty());
  EXPECT_EQ(model_->Run().StagedFiles.size(), 5u);
}

TEST_F(Staging, NothingToStageMakesNoFolderButReportsEveryItem) {
  PackageBuilder b;
  b.File("D:\\a", "T", "x");
  b.Folder("T", "f");
  Load(b);
  std::vector<std::pair<int32_t, int32_t>> progress;
  StageSupportFiles(*model_, *file_, [&](int32_t pos, int32_t max) {
    progress.push_back({pos, max});
  });
  EXPECT_EQ(progress, (std::vector<std::pair<int32_t, int32_t>>{{1, 2}, {2, 2}}));
  EXPECT_TRUE(model_->Run().StagedFiles.empty());
  EXPECT_TRUE(model_->Run().StagingFolder.empty());
  EXPECT_TRUE(TempEntries().empty());
  StageSupportFiles(*model_, *file_);  // no callback
  DeleteStagedFiles(*model_);
}

TEST_F(Staging, ErrorStopsAtTheItemAndKeepsWhatWasStaged) {
  PackageBuilder b;
  b.File("D:\\one.reg", "", "1", kind::RegFile);
  b.File("D:\\two.reg", "", "2", kind::RegFile);
  b.File("D:\\three.reg", "", "3", kind::RegFile);
  Load(b);
  model_->Package().FileList()[1]->DataStart += 1;  // no longer a chunk boundary
  EXPECT_THROW(StageSupportFiles(*model_, *file_), Error);
  const std::string T = model_->Run().StagingFolder;
  ASSERT_FALSE(T.empty());
  EXPECT_EQ(model_->Run().StagedFiles, (StringList{T + "Reg\\one.reg", T + "Reg\\two.reg"}));
  EXPECT_EQ(model_->Package().FileList()[2]->SourcePath, "D:\\three.reg");
  DeleteStagedFiles(*model_);
  EXPECT_FALSE(platform_->DirectoryExists(T));
}

TEST_F(Staging, NamesThatWouldLeaveTheStagingFolderStageNothing) {
  struct Case {
    std::string name, source, targetDir;
    uint8_t kind;
  };
  const Case cases[] = {
      {"Base", "D:\\pkg\\..\\..\\Windows\\x.dll", "D:\\pkg\\", kind::CompFile},
      {"Base", "D:\\pkg\\x/../../../../../Windows/x.dll", "D:\\pkg\\", kind::CompFile},
      {"Base", "D:\\pkg\\bin/..\\../x.dll", "D:\\pkg\\", kind::CompFile},
      {"..\\..", "D:\\pkg\\x.dll", "D:\\pkg\\", kind::CompFile},
      {"a/../..", "D:\\pkg\\x.dll", "D:\\pkg\\", kind::CompFile},
      {"Base", "D:\\pkg\\.../x.dll", "D:\\pkg\\", kind::CompFile},  // "..." is ".." to Windows
      {"Base", "D:\\pkg\\.. /x.dll", "D:\\pkg\\", kind::CompFile},  // so is ".. "
      {"Base", "D:\\pkg\\C:\\x.dll", "D:\\pkg\\", kind::CompFile},  // a drive
      {"Base", "D:\\pkg\\x.dll:s", "D:\\pkg\\", kind::CompFile},    // an alternate stream
      {"Base", "D:\\pkg\\con.txt", "D:\\pkg\\", kind::CompFile},    // a device
      {"Base", "D:\\pkg\\CON .txt", "D:\\pkg\\", kind::CompFile},   // blanks before the dot
      {"", "D:\\regs\\nul .log", "", kind::RegFile},
      {"LPT1", "D:\\pkg\\x.dll", "D:\\pkg\\", kind::CompFile},
      {"Base", "D:\\pkg\\", "D:\\pkg\\", kind::CompFile},  // names no file
      {"", "D:\\pics\\..", "", kind::PageFile},
      {"", "D:\\pics/..", "", kind::PageFile},
      {"", "D:\\pics\\x/", "", kind::PageFile},
      {"", "D:\\regs\\", "", kind::RegFile},
      {"", "D:\\regs\\NUL", "", kind::RegFile},
      // Registry and page files keep only their file name, but a source path that is not made
      // of plain names is refused all the same.
      {"", "x/../../../Windows/victim.txt", "", kind::RegFile},
      {"", "D:\\regs\\..\\..\\Windows\\victim.reg", "", kind::RegFile},
      {"", "D:\\regs\\.\\a.reg", "", kind::RegFile},
      {"", "..\\a.reg", "", kind::RegFile},
      {"", "D:\\regs\\C:\\Windows\\a.reg", "", kind::RegFile},  // a drive further on
      {"", "D:\\regs\\a.reg:stream", "", kind::RegFile},
      {"", "C:a.reg/", "", kind::RegFile},
      {"", "\\\\?\\C:\\Windows\\a.reg", "", kind::RegFile},  // device namespace
      {"", "\\\\.\\pipe\\a.reg", "", kind::RegFile},
      {"", "D:\\con\\a.reg", "", kind::RegFile},
      {"", "D:\\pics\\a\x01.png", "", kind::PageFile},
      {"", "D:\\pics\\*.png", "", kind::PageFile},
      {"", "D:/pics/../../x.png", "", kind::PageFile},
      {"", "D:\\pics\\x.png\\..", "", kind::PageFile},
      {"Base", "D:\\pkg\\bin\\a?.dll", "D:\\pkg\\", kind::CompFile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " | " + c.source);
    PackageBuilder b;
    b.File("D:\\regs\\first.reg", "", "fine", kind::RegFile);  // would be written first
    b.File(c.source, c.targetDir, "x", c.kind).Name = c.name;
    Load(b);
    EXPECT_THROW(StageSupportFiles(*model_, *file_), Error);
    EXPECT_TRUE(model_->Run().StagedFiles.empty());
    EXPECT_TRUE(model_->Run().StagingFolder.empty());
    EXPECT_TRUE(TempEntries().empty());
    model_->Package().ClearLists();
  }
  EXPECT_FALSE(platform_->DirectoryExists("C:\\Windows\\Comp"));
  EXPECT_FALSE(platform_->FileExists("C:\\Windows\\x.dll"));
}

// Source paths as build machines write them: a drive, a share, none, "/" and a GBK name whose
// second byte is "\".
TEST_F(Staging, EverySeparatorEndsTheFileNameOfRegistryAndPageFiles) {
  const std::string kDo = "\xB6\x5C";  // 禱 (its trail byte is "\")
  struct Case {
    std::string source;
    uint8_t kind;
    std::string staged;
  };
  const Case cases[] = {
      {"D:\\build\\setup.reg", kind::RegFile, "Reg\\setup.reg"},
      {"\\\\server\\share\\build\\setup.reg", kind::RegFile, "Reg\\setup.reg"},
      {"setup.reg", kind::RegFile, "Reg\\setup.reg"},
      {"d:setup.reg", kind::RegFile, "Reg\\setup.reg"},
      {"D:\\pics/sub/logo.png", kind::PageFile, "Info\\logo.png"},
      {"D:\\pics\\\\logo.png", kind::PageFile, "Info\\logo.png"},
      {"D:\\pics\\" + kDo + "\\" + kDo, kind::PageFile, "Info\\" + kDo},
      {"D:\\" + kDo + ".v1\\a b.png", kind::PageFile, "Info\\a b.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    PackageBuilder b;
    b.File(c.source, "", "data", c.kind);
    b.File("D:\\pkg\\bin/a.dll", "D:\\pkg\\", "a", kind::CompFile).Name = "Base";
    Load(b);
    StageSupportFiles(*model_, *file_);
    const std::string T = model_->Run().StagingFolder;
    EXPECT_EQ(model_->Run().StagedFiles, (StringList{T + c.staged, T + "Comp\\Base\\bin\\a.dll"}));
    EXPECT_EQ(Read(T + c.staged), "data");
    DeleteStagedFiles(*model_);
    model_ = std::make_unique<TCompile>(*platform_);
  }
}

TEST_F(Staging, TwoRunsStageIntoFoldersOfTheirOwn) {
  PackageBuilder one, two;
  one.File("D:\\src\\same.reg", "", "first run", kind::RegFile);
  two.File("D:\\src\\same.reg", "", "second run", kind::RegFile);
  Load(one);
  StageSupportFiles(*model_, *file_);
  TCompile other(*platform_);
  StringInputStream otherFile(two.Build());
  other.LoadPackageFrom(otherFile);
  StageSupportFiles(other, otherFile);

  ASSERT_NE(model_->Run().StagingFolder, other.Run().StagingFolder);
  EXPECT_EQ(Read(model_->Run().StagedFiles[0]), "first run");
  EXPECT_EQ(Read(other.Run().StagedFiles[0]), "second run");
  DeleteStagedFiles(*model_);  // the first run ends: the second keeps its file
  EXPECT_EQ(Read(other.Run().StagedFiles[0]), "second run");
  DeleteStagedFiles(other);
  EXPECT_TRUE(TempEntries().empty());
}

TEST_F(Staging, AFolderThatExistsAlreadyIsNeverReused) {
  const std::string taken = kTemp + "sk" + std::string(16, 'a');  // bytes 0xAA
  ASSERT_TRUE(platform_->CreateDirectory(taken));
  platform_->CreateFile(taken + "\\planted.txt")->Close();
  platform_->script = {0xAA, 0xBB};
  PackageBuilder b;
  b.File("D:\\src\\a.reg", "", "a", kind::RegFile);
  Load(b);
  StageSupportFiles(*model_, *file_);
  EXPECT_EQ(model_->Run().StagingFolder, kTemp + "sk" + std::string(16, 'b') + "\\");
  DeleteStagedFiles(*model_);
  EXPECT_TRUE(platform_->FileExists(taken + "\\planted.txt"));  // not ours: left alone

  // When every name drawn is taken, staging fails before writing anything.
  model_ = std::make_unique<TCompile>(*platform_);
  Load(b);
  platform_->script.assign(64, 0xAA);
  EXPECT_THROW(StageSupportFiles(*model_, *file_), Error);
  EXPECT_TRUE(model_->Run().StagedFiles.empty());
}

// What a process reading a staged file saw when the clean-up waited for it.
struct WaitRecord {
  uint32_t timeoutMs = 0;
  bool fileWasThere = false;
};

// A process reading a staged file; it ends at once or never (it then sleeps out the timeout).
struct Reader : ChildProcess {
  Reader(Platform& p, std::string path, bool ends, std::vector<WaitRecord>& log)
      : p(p), path(std::move(path)), ends(ends), log(log) {}
  bool Wait(uint32_t timeoutMs) override {
    log.push_back({timeoutMs, p.FileExists(path)});
    if (!ends) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    return ends;
  }
  Platform& p;
  std::string path;
  bool ends;
  std::vector<WaitRecord>& log;
};

TEST_F(Staging, ExitWaitsForTheReadersOfStagedFilesWithinItsBound) {
  PackageBuilder b;
  b.File("D:\\src\\a.reg", "", "a", kind::RegFile);
  Load(b);
  StageSupportFiles(*model_, *file_);
  const std::string path = model_->Run().StagedFiles[0];
  std::vector<WaitRecord> log;
  for (bool ends : {true, false, false})
    model_->Run().StagedFileReaders.push_back(
        std::make_unique<Reader>(*platform_, path, ends, log));

  DeleteStagedFiles(*model_, 200);
  // The first ended, the second used up what was left of the bound, the third was not waited
  // for; the file was there while they were waited for, and is gone afterwards.
  ASSERT_EQ(log.size(), 2u);
  EXPECT_LE(log[0].timeoutMs, 200u);
  EXPECT_LE(log[1].timeoutMs, log[0].timeoutMs);
  EXPECT_TRUE(log[0].fileWasThere);
  EXPECT_TRUE(log[1].fileWasThere);
  EXPECT_FALSE(platform_->FileExists(path));
  EXPECT_TRUE(model_->Run().StagedFileReaders.empty());
}

}  // namespace
}  // namespace sk
