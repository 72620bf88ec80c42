// The settings stream: exact bytes, round trips of every record type through the writer and the
// reader, the per-record hooks and the needed-space total.
#include <gtest/gtest.h>

#include <cstring>

#include "package/Compile.h"
#include "package/Container.h"
#include "package/Writer.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::NullPlatform;
using test::PackageBuilder;
using test::StringInputStream;

const std::string& kProjectName = setting::kItemName.name;

// The smallest useful stream: one setting "Patch" = "0" in group 0, everything else empty.
const std::string kSmallest(
    "\x01\0\0\0"
    "\x05\0\0\0Patch"
    "\x01\0\0\0"
    "0"
    "\0"
    "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0",
    51);

void Load(TCompile& model, PackageBuilder& b) {
  StringInputStream in(b.Build());
  model.LoadPackageFrom(in);
}

TEST(Settings, SmallestStreamBothDirections) {
  NullPlatform p;
  TCompile written(p);
  auto& s = written.Package().InfoList().emplace_back(std::make_unique<TCompileData>());
  s->Name = "Patch";
  s->Value = "0";
  EXPECT_EQ(SerializeSettings(written.Package()), kSmallest);

  TCompile read(p);
  read.ParseSettings(kSmallest);
  EXPECT_FALSE(read.Package().Patched());
  ASSERT_EQ(read.Package().InfoList().size(), 1u);
  EXPECT_TRUE(read.Package().FileList().empty() && read.Package().RegList().empty() &&
              read.Package().CompList().empty() && read.Package().ShotCutList().empty() &&
              read.Package().FileFolderList().empty() && read.Package().RegFolderList().empty() &&
              read.Package().ShotCutFolderList().empty());
  EXPECT_EQ(read.Package().Serial, "");
}

TEST(Settings, EveryRecordTypeRoundTrips) {
  PackageBuilder b;
  b.Setting(kProjectName, "\xB2\xE2\xCA\xD4", 0);  // 测试
  b.Setting("x", "", 12);
  b.FileFolders() = {"\xC4\xBF\xB1\xEA\\A B", "", "c"};
  auto& f = b.File("D:\\src\\a.exe", "T\\bin", "file bytes", kind::File);
  f.Name = "n";
  f.RunAtStartup = 1;
  f.KeepOnUninstall = 2;
  f.NoOverwrite = 3;
  f.RegisterServer = 4;
  f.InstallService = 5;
  f.RunAfterInstall = 6;
  f.PatchFile = 7;
  f.TargetOs = "6.1";
  f.FileTime = 44927.123456789;
  f.ReservedFlag = 9;
  auto& folder = b.Folder("T", "empty");
  folder.DataStart = -5;  // folders carry no data; their offsets are stored as they are
  b.RegFolders() = {"K1", "K 2"};
  auto& v = b.RegValue("HKLM\\Soft", "Name", "01ff", 2);
  v.TargetOs = "5.1";
  b.ShotCutFolders() = {"S"};
  auto& sc = b.Shortcut("S\\x", "Link", "D:\\src\\a.exe", 2);
  sc.IconFile = "i.ico";
  sc.Arguments = "-a \"b\"";
  sc.Description = "desc";
  b.Component("Base", 100);
  b.Component("Extra", 200);
  b.Serial("01234567-89ab-cdef-0123-456789abcdef");

  NullPlatform p;
  TCompile m(p);
  Load(m, b);
  const TCompile& w = b.Model();

  ASSERT_EQ(m.Package().InfoList().size(), 2u);
  EXPECT_EQ(m.Package().InfoList()[0]->Value, "\xB2\xE2\xCA\xD4");
  EXPECT_EQ(m.Package().InfoList()[1]->Group, 12);
  EXPECT_EQ(m.Package().ItemName, "\xB2\xE2\xCA\xD4");
  EXPECT_EQ(m.Package().FileFolderList(), w.Package().FileFolderList());
  ASSERT_EQ(m.Package().FileList().size(), 2u);
  const auto& g = *m.Package().FileList()[0];
  EXPECT_EQ(std::tie(g.Name, g.SourcePath, g.TargetDir, g.TargetOs),
            std::tie(f.Name, f.SourcePath, f.TargetDir, f.TargetOs));
  EXPECT_EQ(
      (std::vector<int>{g.RunAtStartup, g.KeepOnUninstall, g.NoOverwrite, g.RegisterServer,
                        g.InstallService, g.RunAfterInstall, g.PatchFile, g.Kind, g.ReservedFlag}),
      (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 0, 9}));
  EXPECT_EQ(g.FileTime, 44927.123456789);
  EXPECT_EQ(std::tie(g.DataStart, g.DataEnd, g.UncompressedSize),
            std::tie(f.DataStart, f.DataEnd, f.UncompressedSize));
  EXPECT_EQ(g.UncompressedSize, 10);
  EXPECT_EQ(m.Package().FileList()[1]->Kind, kind::Folder);
  EXPECT_EQ(m.Package().FileList()[1]->DataStart, -5);
  EXPECT_EQ(m.Package().RegFolderList(), w.Package().RegFolderList());
  ASSERT_EQ(m.Package().RegList().size(), 1u);
  const auto& rv = *m.Package().RegList()[0];
  EXPECT_EQ(std::tie(rv.KeyPath, rv.ValueName, rv.ValueData, rv.TargetOs, rv.ValueType),
            std::tie(v.KeyPath, v.ValueName, v.ValueData, v.TargetOs, v.ValueType));
  EXPECT_EQ(m.Package().ShotCutFolderList(), w.Package().ShotCutFolderList());
  ASSERT_EQ(m.Package().ShotCutList().size(), 1u);
  const auto& rs = *m.Package().ShotCutList()[0];
  EXPECT_EQ(
      std::tie(rs.Folder, rs.Name, rs.Target, rs.IconFile, rs.Arguments, rs.Description, rs.Kind),
      std::tie(sc.Folder, sc.Name, sc.Target, sc.IconFile, sc.Arguments, sc.Description, sc.Kind));
  ASSERT_EQ(m.Package().CompList().size(), 2u);
  EXPECT_EQ(m.Package().CompList()[1]->Size, 200);
  EXPECT_EQ(m.Choices().ComponentList, (StringList{"Base", "Extra"}));
  EXPECT_EQ(m.Package().Serial, "01234567-89ab-cdef-0123-456789abcdef");
  // Size in the trailer: the Kind-0 data; TotalSize adds the components.
  EXPECT_EQ(m.Package().Size, 10);
  EXPECT_EQ(m.Choices().Options.TotalSize, 310);

  // Serialising what was read gives the bytes that were written.
  EXPECT_EQ(SerializeSettings(m.Package()), SerializeSettings(w.Package()));
}

TEST(Settings, FileItemStreamOrderPutsKindAndTimeAfterSizes) {
  NullPlatform p;
  TCompile m(p);
  auto& f = m.Package().FileList().emplace_back(std::make_unique<TCompileFileData>());
  f->UncompressedSize = 0x11;
  f->Kind = 0x22;
  f->FileTime = 2.0;
  f->ReservedFlag = 0x33;
  const std::string s = SerializeSettings(m.Package());
  // count 0 settings, empty comma text, count 1, then 3 empty strings + 7 bytes + TargetOs.
  size_t at = 4 + 4 + 4 + 12 + 7 + 4 + 16;
  EXPECT_EQ(s.substr(at, 8), std::string("\x11\0\0\0\0\0\0\0", 8));
  EXPECT_EQ(s[at + 8], '\x22');
  EXPECT_EQ(s.substr(at + 9, 8), std::string("\0\0\0\0\0\0\0\x40", 8));
  EXPECT_EQ(s[at + 17], '\x33');
}

TEST(Settings, SeveralChunksFormOneStreamWithARecordAcrossTheBoundary) {
  // A setting value longer than one piece forces the settings block into two chunks with that
  // record spanning the boundary.
  PackageBuilder b;
  b.Setting("big", std::string(kChunkPieceSize + 1000, 'v'), 3);
  b.Setting(kProjectName, "after", 0);
  b.Serial("serial");
  std::string file = b.Build();
  int64_t settingsAt;
  std::memcpy(&settingsAt, file.data() + file.size() - 8, 8);
  int32_t firstChunk;
  std::memcpy(&firstChunk, file.data() + settingsAt, 4);
  EXPECT_LT(settingsAt + 4 + firstChunk, static_cast<int64_t>(file.size()) - 16);

  NullPlatform p;
  TCompile m(p);
  StringInputStream in(file);
  m.LoadPackageFrom(in);
  ASSERT_EQ(m.Package().InfoList().size(), 2u);
  EXPECT_EQ(m.Package().InfoList()[0]->Value.size(), kChunkPieceSize + 1000);
  EXPECT_EQ(m.Package().ItemName, "after");
  EXPECT_EQ(m.Package().Serial, "serial");
}

TEST(Settings, NoSettingsBlockKeepsDefaults) {
  PackageBuilder b;
  b.Setting(kProjectName, "ignored");
  b.Size(4242).WithoutSettings();
  NullPlatform p;
  TCompile m(p);
  Load(m, b);
  EXPECT_TRUE(m.Package().InfoList().empty());
  EXPECT_EQ(m.Package().Size, 4242);
  EXPECT_EQ(m.Choices().Options.TotalSize, 4242);
  EXPECT_EQ(m.Choices().Options.ShowWizard, 1);
  EXPECT_EQ(m.Choices().Options.CreateStartMenu, 1);
  EXPECT_EQ(m.Package().ItemName, "");
}

TEST(Settings, MissingFileLeavesModelAsConstructed) {
  NullPlatform p;  // no file exists on it
  TCompile m(p);
  m.LoadPackage("C:\\nowhere\\Setup.exe");
  EXPECT_EQ(m.Package().Size, 0);
  EXPECT_TRUE(m.Package().InfoList().empty());
}

TEST(Settings, LoadNamesGoToTheirFieldsInAnyGroupLastWins) {
  struct Case {
    std::string name;
    std::string TPackage::*field;
    std::string TInstallData::*option;
  };
  const Case cases[] = {
      {kProjectName, &TPackage::ItemName, nullptr},
      {setting::kAuthor.name, &TPackage::Author, nullptr},
      {setting::kVersion.name, &TPackage::Version, nullptr},
      {setting::kUrl.name, &TPackage::Url, nullptr},
      {setting::kRebootOs.name, nullptr, &TInstallData::RebootOs},
      {setting::kHintMsg.name, nullptr, &TInstallData::HintMsg},
      {setting::kBeforeHintMsg.name, nullptr, &TInstallData::BeforeHintMsg},
      {setting::kWebHint.name, nullptr, &TInstallData::WebHint},
      {setting::kDefaultHtml.name, nullptr, &TInstallData::DefaultHtml},
      {setting::kEnableUnIns.name, nullptr, &TInstallData::EnableUnIns},
  };
  for (const auto& c : cases) {
    PackageBuilder b;
    b.Setting(c.name, "first", 5);
    b.Setting(c.name, "second", 200);
    b.Setting(LowerAscii(c.name) + " ", "other", 0);  // not the same name: no effect
    NullPlatform p;
    TCompile m(p);
    Load(m, b);
    EXPECT_EQ(c.field ? m.Package().*c.field : m.Choices().Options.*c.option, "second") << c.name;
  }
  // Names compare byte for byte: "ie" in lower case is another setting.
  PackageBuilder b;
  b.Setting(
      "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xC9\xE8\xD6\xC3"
      "ie\xC4\xAC\xC8\xCF\xD6\xF7\xD2\xB3",
      "x");
  NullPlatform p;
  TCompile m(p);
  Load(m, b);
  EXPECT_EQ(m.Choices().Options.DefaultHtml, "");
}

TEST(Settings, PatchValues) {
  struct Case {
    const char* value;
    bool ok;
    bool patched;
  };
  const Case cases[] = {
      {"0", true, false},   {"1", true, true},     {"-1", true, true},     {"2", true, true},
      {"00", true, false},  {"0.0", true, false},  {"0.5", true, true},    {" 1 ", true, true},
      {"true", true, true}, {"TRUE", true, true},  {"False", true, false}, {"fAlSe", true, false},
      {"", false, false},   {"yes", false, false}, {"1x", false, false},   {"T", false, false},
      {"-", false, false},
  };
  for (const auto& c : cases) {
    PackageBuilder b;
    b.Setting("Patch", c.value, 7);
    NullPlatform p;
    TCompile m(p);
    if (c.ok) {
      Load(m, b);
      EXPECT_EQ(m.Package().Patched(), c.patched) << c.value;
    } else {
      try {
        Load(m, b);
        ADD_FAILURE() << "accepted " << c.value;
      } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "'" + std::string(c.value) + "' is not a valid boolean value");
      }
      EXPECT_EQ(m.Package().InfoList().size(), 1u);  // parsed items stay
    }
  }
}

TEST(Settings, GroupSettingsAndTotalSize) {
  PackageBuilder b;
  b.Setting("a", "1", 3);
  b.Setting("b", "2", 4);
  b.Setting("c", "3", 3);
  b.Component("A", 100);
  b.Component("B", 200);
  b.Size(1000);
  NullPlatform p;
  TCompile m(p);
  Load(m, b);
  std::vector<TCompileData*> group{nullptr};
  m.Package().GetGroupSettings(3, group);
  ASSERT_EQ(group.size(), 2u);
  EXPECT_EQ(group[0]->Name + group[1]->Name, "ac");
  EXPECT_EQ(group[0], m.Package().InfoList()[0].get());  // references into the model
  m.Package().GetGroupSettings(11, group);
  EXPECT_TRUE(group.empty());
  EXPECT_EQ(m.Choices().Options.TotalSize, 1300);
  m.Package().ClearLists();
  EXPECT_EQ(m.CalcTotalSize(), 1000);
}

}  // namespace
}  // namespace sk
