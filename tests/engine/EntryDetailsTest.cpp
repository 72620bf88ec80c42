// The Uninstall entry as the system's list of programs reads it: the stored values first and in
// their order, then where the product lies, its size, the date, no change or repair, and the
// quiet uninstall command; all of them gone after the uninstall.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/EntryDetails.h"
#include "platform/NullPlatform.h"
#include "tests/engine/UninstallSupport.h"

namespace sk::test {
namespace {

const std::string kSerial = "11111111-2222-3333-4444-555555555555";

TEST(EntryDetails, SizesAreWholeKiBRoundedUp) {
  const struct {
    int64_t bytes;
    uint32_t kib;
  } cases[] = {
      {-5, 0},
      {0, 0},
      {1, 1},
      {1024, 1},
      {1025, 2},
      {10 * 1024 * 1024, 10240},
      {int64_t{0xFFFFFFFF} * 1024, 0xFFFFFFFFu},
      {INT64_MAX, 0xFFFFFFFFu},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeInKiB(c.bytes), c.kib) << c.bytes;
}

TEST(EntryDetails, InstallDateIsTheLocalDay) {
  constexpr int64_t kDay = 864000000000;  // 100 ns units
  constexpr int64_t k1970 = 116444736000000000;
  const struct {
    int64_t fileTime;
    const char* text;
  } cases[] = {
      {0, "16010101"},
      {k1970, "19700101"},
      {k1970 + kDay - 1, "19700101"},  // the last moment of the day
      {k1970 + 20000 * kDay, "20241004"},
      {-1, "16010101"},
      {k1970 + 2932897 * kDay, "100000101"},  // past 9999 the year has five digits
  };
  for (const auto& c : cases) EXPECT_EQ(InstallDateText(c.fileTime), c.text) << c.fileTime;
}

TEST(EntryDetails, TheEntryReadsAsTheListOfProgramsExpects) {
  PackageBuilder b;
  Base(b, kSerial);
  b.File("Z:\\a.exe", kPF, std::string(3000, 'A'));
  b.File("Z:\\b.dat", kPF + "data", std::string(2000, 'B'));
  InstallRun run(b, MakeSandboxMachine([](SandboxConfig& c) {
                   c.localNow = int64_t{116444736000000000} + int64_t{20000} * 864000000000;
                 }));
  run.platform().CreateKey(RegRoot::LocalMachine,
                           "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  run.Install();
  auto key = run.platform().OpenKey(RegRoot::LocalMachine, UninstallEntryKey(kSerial), false);
  ASSERT_TRUE(key);
  // The sandbox lists values by name; what matters is that all are there, the old ones kept.
  std::vector<std::string> names = {"DisplayIcon",   "DisplayName",         "DisplayVersion",
                                    "URLInfoAbout",  "Publisher",           "UninstallString",
                                    "Install Dir",   "UninstallLogDigest",  "InstallLocation",
                                    "EstimatedSize", "InstallDate",         "NoModify",
                                    "NoRepair",      "QuietUninstallString"};
  std::vector<std::string> listed = key->ValueNames();
  std::sort(names.begin(), names.end());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, names);

  const std::string uninstaller = run.installDir() + "\\Uninst.exe";
  const struct {
    const char* name;
    RegType type;
    std::string data;
  } values[] = {
      {"InstallLocation", RegType::String, run.installDir()},
      // 3000 + 2000 bytes of files and 6 of the uninstaller: 5006 bytes, 5 KiB rounded up.
      {"EstimatedSize", RegType::Dword, std::string("\x05\0\0\0", 4)},
      {"InstallDate", RegType::String, "20241004"},
      {"NoModify", RegType::Dword, std::string("\x01\0\0\0", 4)},
      {"NoRepair", RegType::Dword, std::string("\x01\0\0\0", 4)},
      {"QuietUninstallString", RegType::String, "\"" + uninstaller + "\" /S"},
  };
  for (const auto& v : values) {
    const std::optional<RegValue> read = key->ReadValue(v.name);
    ASSERT_TRUE(read) << v.name;
    EXPECT_EQ(read->type, v.type) << v.name;
    EXPECT_EQ(read->data, v.data) << v.name;
  }
  key.reset();

  // The uninstaller the quiet command names removes the entry with every value.
  Uninstall(run);
  EXPECT_FALSE(run.platform().KeyExists(RegRoot::LocalMachine, UninstallEntryKey(kSerial)));
}

TEST(EntryDetails, TheDateComesFromTheMachinesClockOrIsLeftOut) {
  PackageBuilder b;
  Base(b, kSerial);
  InstallRun run(b, Sandbox());
  run.Install();
  auto key = run.platform().OpenKey(RegRoot::LocalMachine, UninstallEntryKey(kSerial), false);
  ASSERT_TRUE(key);
  // The sandbox's own clock: today's date, eight digits.
  const std::optional<RegValue> date = key->ReadValue("InstallDate");
  ASSERT_TRUE(date);
  EXPECT_EQ(date->data.size(), 8u);
  EXPECT_EQ(date->data.find_first_not_of("0123456789"), std::string::npos);

  // A machine that cannot tell the time gets no date rather than a wrong one.
  EXPECT_FALSE(NullPlatform().LocalNow().has_value());
  key->DeleteValue("InstallDate");
  WriteEntryDetails(run.platform(), kSerial, EntryDetails{"C:\\X", 1, std::nullopt, "u"});
  EXPECT_FALSE(key->ValueExists("InstallDate"));
  EXPECT_EQ(key->ReadValue("InstallLocation")->data, "C:\\X");
}

}  // namespace
}  // namespace sk::test
