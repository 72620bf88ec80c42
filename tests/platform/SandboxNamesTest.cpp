// Case-insensitive lookup of host names in the sandbox: the remembered folder listings must give
// the answer a fresh scan would, whatever changes the host folder between lookups.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/sandbox/FolderNames.h"
#include "tests/support/TestMachine.h"

namespace fs = std::filesystem;

namespace sk {
#ifdef _WIN32
constexpr bool kCaseSensitiveHost = false;
#else
constexpr bool kCaseSensitiveHost = true;
#endif

namespace {

void Touch(const fs::path& p) {
  std::ofstream(p, std::ios::binary) << "x";
}

class SandboxNames : public ::testing::Test {
 protected:
  std::unique_ptr<test::TestMachine> m = test::MakeSandboxMachine();
  SandboxPlatform& p = *m->sandbox();
  fs::path host = p.config().root / "C" / "Dir";
  void SetUp() override { ASSERT_TRUE(p.ForceDirectories("C:\\Dir\\Sub")); }
};

// Each case changes the host folder behind the sandbox's back after a first lookup has listed
// it, then checks what the sandbox sees.
TEST_F(SandboxNames, ChangesOnTheHostAreSeenAtOnce) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> change;
    const char* ask;
    bool exists;
    const char* stored;  // host name the path resolves to, when it exists
  };
  const Case cases[] = {
      {"created", [](const fs::path& d) { Touch(d / "New.TXT"); }, "new.txt", true, "New.TXT"},
      {"deleted",
       [](const fs::path& d) {
         Touch(d / "Gone.txt");
         fs::remove(d / "Gone.txt");
       },
       "GONE.TXT", false, nullptr},
      {"renamed",
       [](const fs::path& d) {
         Touch(d / "Old.txt");
         fs::rename(d / "Old.txt", d / "Fresh.Txt");
       },
       "fresh.txt", true, "Fresh.Txt"},
      {"renamed away",
       [](const fs::path& d) {
         Touch(d / "Moved.txt");
         fs::rename(d / "Moved.txt", d / "Sub" / "Moved.txt");
       },
       "moved.txt", false, nullptr},
      {"respelled", [](const fs::path& d) { fs::rename(d / "Sub", d / "SUB"); }, "sub", true,
       "SUB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_FALSE(p.FileExists(std::string("C:\\dir\\") + c.ask));  // lists the folder
    c.change(host);
    const std::string win = std::string("C:\\DIR\\") + c.ask;
    EXPECT_EQ(p.FileExists(win) || p.DirectoryExists(win), c.exists);
    // A Windows host finds any spelling itself, so only a case-sensitive host shows which
    // spelling the lookup settled on.
    if (c.stored && kCaseSensitiveHost) {
      EXPECT_EQ(p.HostPath(win)->filename(), fs::path(c.stored));
    }
  }
}

TEST_F(SandboxNames, AFolderReplacedOrMovedIsListedAgain) {
  Touch(host / "Sub" / "A.txt");
  EXPECT_TRUE(p.FileExists("C:\\dir\\sub\\a.TXT"));
  EXPECT_FALSE(p.FileExists("C:\\dir\\sub\\b.TXT"));

  // The folder's parent is renamed and a new folder takes its path.
  fs::rename(host, p.config().root / "C" / "Was");
  fs::create_directories(host / "Sub");
  Touch(host / "Sub" / "B.txt");
  EXPECT_FALSE(p.FileExists("C:\\dir\\sub\\a.TXT"));
  EXPECT_TRUE(p.FileExists("C:\\dir\\sub\\b.TXT"));

  fs::remove_all(host);
  EXPECT_FALSE(p.FileExists("C:\\dir\\sub\\b.TXT"));
  EXPECT_TRUE(p.FileExists("C:\\was\\sub\\a.txt"));
}

TEST_F(SandboxNames, NamesCreatedThroughTheSandboxKeepTheirCase) {
  for (const char* name : {"One.Dat", "TWO.dat", "three.DAT"}) {
    ASSERT_FALSE(p.FileExists(std::string("C:\\dir\\") + name));
    p.CreateFile(std::string("C:\\DIR\\") + name)->Close();
  }
  EXPECT_EQ(p.ListDirectory("C:\\Dir"),
            (std::vector<std::string>{"One.Dat", "Sub", "three.DAT", "TWO.dat"}));
  EXPECT_TRUE(p.DeleteFile("c:\\dir\\ONE.DAT"));
  EXPECT_FALSE(p.FileExists("C:\\Dir\\one.dat"));
  p.CreateFile("C:\\Dir\\ONE.dat")->Close();  // a new file takes the new spelling
  if (kCaseSensitiveHost) {
    EXPECT_EQ(p.HostPath("c:\\dir\\one.dat")->filename(), fs::path("ONE.dat"));
  }
}

// Every shape of path a lookup can meet, in exact and other spellings: existing, new in an
// existing folder, below a missing folder or below a file, through links to folders and links
// that lead nowhere (never followed: no answer, nothing created). `host` is where the path
// lands (for a case-sensitive host), `create` whether a file can be created there.
TEST_F(SandboxNames, PathsResolveWhateverTheirSpelling) {
  Touch(host / "Sub" / "File.txt");
  std::error_code ec;
  fs::create_directory_symlink(host / "Sub", host / "LinkSub", ec);
  const bool links = !ec;
  fs::create_symlink(host / "Nowhere", host / "Dangling", ec);
  struct Case {
    const char* path;
    bool file, dir;
    const char* host;  // relative to the drive; nullptr: no answer expected
    bool create;
    bool needsLinks;
  };
  const Case cases[] = {
      {"C:\\Dir\\Sub\\File.txt", true, false, "Dir/Sub/File.txt", true, false},
      {"C:\\dir\\SUB\\file.TXT", true, false, "Dir/Sub/File.txt", true, false},
      {"C:\\DIR\\sub", false, true, "Dir/Sub", false, false},
      {"C:\\Dir\\Sub\\New.txt", false, false, "Dir/Sub/New.txt", true, false},
      {"C:\\dir\\sub\\Other.txt", false, false, "Dir/Sub/Other.txt", true, false},
      {"C:\\Dir\\Sub\\File.txt\\x", false, false, nullptr, false, false},
      {"C:\\Missing\\Sub\\a.txt", false, false, nullptr, false, false},
      {"C:\\", false, true, nullptr, false, false},
      {"C:\\Dir\\LinkSub\\File.txt", false, false, nullptr, false, true},
      {"C:\\dir\\linksub\\FILE.txt", false, false, nullptr, false, true},
      {"C:\\Dir\\LinkSub", false, false, nullptr, false, true},
      {"C:\\Dir\\Dangling", false, false, nullptr, false, true},
  };
  const fs::path drive = p.config().root / "C";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    if (c.needsLinks && !links) continue;
    EXPECT_EQ(p.FileExists(c.path), c.file);
    EXPECT_EQ(p.DirectoryExists(c.path), c.dir);
    if (c.host && kCaseSensitiveHost) {
      ASSERT_TRUE(p.HostPath(c.path));
      EXPECT_EQ(p.HostPath(c.path)->lexically_normal(), (drive / c.host).lexically_normal());
    }
    if (c.needsLinks) {
      EXPECT_FALSE(p.HostPath(c.path));
    }
    bool created = false;
    try {
      p.CreateFile(c.path)->Close();
      created = true;
    } catch (const Error&) {
    }
    EXPECT_EQ(created, c.create);
    if (created && c.host && kCaseSensitiveHost) {
      EXPECT_TRUE(fs::exists(drive / c.host));
    }
  }
  // Nothing was written through the dangling link.
  if (links) {
    EXPECT_FALSE(fs::exists(host / "Nowhere"));
  }
}

#ifdef __linux__
// The point of remembering listings: looking up many missing names in one folder lists it once.
TEST(FolderNamesTest, MissingNamesDoNotRescanTheFolder) {
  const fs::path dir = fs::temp_directory_path() / ("sk-names-" + test::UniqueName());
  fs::create_directories(dir);
  sandbox::FolderNames names;
  for (int i = 0; i < 50; ++i) {
    EXPECT_FALSE(names.Find(dir, "f" + std::to_string(i) + ".dat"));
    Touch(dir / ("F" + std::to_string(i) + ".dat"));
    EXPECT_EQ(names.Find(dir, "f" + std::to_string(i) + ".dat"),
              dir / ("F" + std::to_string(i) + ".dat"));
  }
  EXPECT_EQ(names.Scans(), 1);
  fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace sk
