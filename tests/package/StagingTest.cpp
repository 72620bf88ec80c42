// Staging of registry, component and page files into the temporary folder of a sandbox machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "package/Staging.h"
#include "platform/sandbox/SandboxPlatform.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::PackageBuilder;
using test::StringInputStream;

const std::string T = "C:\\Users\\user\\AppData\\Local\\Temp\\";

class Staging : public ::testing::Test {
 protected:
  Staging() {
    std::random_device rd;
    root_ = std::filesystem::temp_directory_path() / ("sk-staging-" + std::to_string(rd()));
    SandboxConfig config;
    config.root = root_;
    platform_ = std::make_unique<SandboxPlatform>(config);
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

  std::filesystem::path root_;
  std::unique_ptr<SandboxPlatform> platform_;
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

  ASSERT_EQ(progress.size(), 7u);
  for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(progress[i], std::make_pair(i + 1, 7));
  const auto& files = model_->FileList();
  EXPECT_EQ(files[0]->SourcePath, "D:\\app\\main.exe");
  EXPECT_EQ(files[1]->SourcePath, T + "Reg\\setup.reg");
  EXPECT_EQ(files[2]->SourcePath, T + "Comp\\Base\\bin\\a.dll");
  EXPECT_EQ(files[2]->TargetDir, T + "Comp\\Base");
  EXPECT_EQ(files[3]->SourcePath, T + "Comp\\Base\\b.dll");
  EXPECT_EQ(files[4]->SourcePath, T + "Info\\logo.png");
  EXPECT_EQ(files[5]->SourcePath, T + "Info\\logo.png");
  EXPECT_EQ(model_->InfoList()[0]->Value, T + "Info\\logo.png");
  EXPECT_EQ(model_->InfoList()[1]->Value, T + "Info\\logo.png");
  EXPECT_EQ(model_->InfoList()[2]->Value, "D:\\pics\\one\\logo.png.bak");
  EXPECT_EQ(model_->StagedFiles,
            (StringList{T + "Reg\\setup.reg", T + "Comp\\Base\\bin\\a.dll", T + "Comp\\Base\\b.dll",
                        T + "Info\\logo.png", T + "Info\\logo.png"}));
  EXPECT_EQ(Read(T + "Reg\\setup.reg"), "REGEDIT4");
  EXPECT_EQ(Read(T + "Comp\\Base\\bin\\a.dll"), "a");
  EXPECT_EQ(Read(T + "Comp\\Base\\b.dll"), "b");
  EXPECT_EQ(Read(T + "Info\\logo.png"), "second");

  // One staged file vanished before exit: it is skipped, the rest go, the list stays.
  ASSERT_TRUE(platform_->DeleteFile(T + "Comp\\Base\\b.dll"));
  DeleteStagedFiles(*model_);
  for (const auto& path : model_->StagedFiles) EXPECT_FALSE(platform_->FileExists(path)) << path;
  EXPECT_EQ(model_->StagedFiles.size(), 5u);
  EXPECT_TRUE(platform_->DirectoryExists(T + "Comp\\Base\\bin"));
}

TEST_F(Staging, NothingToStageStillReportsEveryItem) {
  PackageBuilder b;
  b.File("D:\\a", "T", "x");
  b.Folder("T", "f");
  Load(b);
  std::vector<std::pair<int32_t, int32_t>> progress;
  StageSupportFiles(*model_, *file_, [&](int32_t pos, int32_t max) {
    progress.push_back({pos, max});
  });
  EXPECT_EQ(progress, (std::vector<std::pair<int32_t, int32_t>>{{1, 2}, {2, 2}}));
  EXPECT_TRUE(model_->StagedFiles.empty());
  StageSupportFiles(*model_, *file_);  // no callback
}

TEST_F(Staging, ErrorStopsAtTheItemAndKeepsWhatWasStaged) {
  PackageBuilder b;
  b.File("D:\\one.reg", "", "1", kind::RegFile);
  b.File("D:\\two.reg", "", "2", kind::RegFile);
  b.File("D:\\three.reg", "", "3", kind::RegFile);
  Load(b);
  model_->FileList()[1]->DataStart += 1;  // no longer a chunk boundary
  try {
    StageSupportFiles(*model_, *file_);
    FAIL() << "corrupt data staged";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(T + "Reg\\two.reg"), std::string::npos) << e.what();
  }
  EXPECT_EQ(model_->StagedFiles, (StringList{T + "Reg\\one.reg", T + "Reg\\two.reg"}));
  EXPECT_EQ(model_->FileList()[2]->SourcePath, "D:\\three.reg");
  DeleteStagedFiles(*model_);
  EXPECT_FALSE(platform_->FileExists(T + "Reg\\one.reg"));
}

TEST_F(Staging, PathsThatWouldLeaveTheStagingFolderAreRefused) {
  struct Case {
    std::string name, source, targetDir;
    uint8_t kind;
  };
  const Case cases[] = {
      {"Base", "D:\\pkg\\..\\..\\Windows\\x.dll", "D:\\pkg\\", kind::CompFile},
      {"..\\..", "D:\\pkg\\x.dll", "D:\\pkg\\", kind::CompFile},
      {"Base", "D:\\pkg\\", "D:\\pkg\\", kind::CompFile},  // names no file
      {"", "D:\\pics\\..", "", kind::PageFile},
      {"", "D:\\regs\\", "", kind::RegFile},
  };
  for (const auto& c : cases) {
    PackageBuilder b;
    b.File(c.source, c.targetDir, "x", c.kind).Name = c.name;
    Load(b);
    EXPECT_THROW(StageSupportFiles(*model_, *file_), Error) << c.source;
    EXPECT_TRUE(model_->StagedFiles.empty()) << c.source;
    model_->ClearLists();
  }
}

}  // namespace
}  // namespace sk
