// Path checks of records and of the self-removal helper: the normal form Windows resolves a path
// to (separators, trailing dots and blanks, case), device names and raw prefixes, and the
// protected places seen through short (8.3) names.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "engine/PathForm.h"
#include "engine/Removal.h"
#include "engine/SelfRemovalCheck.h"
#include "engine/UninstallTexts.h"
#include "platform/NullPlatform.h"

namespace sk::test {
namespace {

namespace txt = uninstall_text;

TEST(PathForm, NormalForm) {
  struct Case {
    const char* path;
    bool ok;
    const char* folded;
    bool altered;
  };
  const Case cases[] = {
      {"C:\\Windows", true, "c:\\windows", false},
      {"c:/WINDOWS//System32\\", true, "c:\\windows\\system32", false},
      {"C:\\Windows.\\", true, "c:\\windows", true},
      {"C:\\WINDOWS \\x. .", true, "c:\\windows\\x", true},
      {"\\\\Server\\Share\\Dir", true, "\\\\server\\share\\dir", false},
      // A GBK trail byte that is an ASCII capital stays as it is: "\xB2\x41" is one character.
      {"C:\\\xB2\x41\\B", true, "c:\\\xB2\x41\\b", false},
      {"C:\\App\\..\\Windows", false, "", false},
      {"C:\\App\\.\\x", false, "", false},
      {"C:\\App\\...", false, "", false},
      {"C:\\App\\ . ", false, "", false},
      {"relative\\file.txt", false, "", false},
      {"C:file.txt", false, "", false},
      {"\\App\\file.txt", false, "", false},
      {"C:\\App\\file.txt:stream", false, "", false},
      {"C:\\App\\a?b", false, "", false},
      {"C:\\App\\a|b", false, "", false},
      {"\\\\server", false, "", false},
  };
  for (const Case& c : cases) {
    const WinPathForm n = NormaliseWinPath(c.path);
    EXPECT_EQ(n.ok, c.ok) << c.path;
    if (!c.ok) continue;
    EXPECT_EQ(n.folded, c.folded) << c.path;
    EXPECT_EQ(n.altered, c.altered) << c.path;
  }
}

TEST(PathForm, DevicesAndRawPrefixesAreNeverPaths) {
  for (const char* path :
       {"NUL", "CON.txt", "C:\\COM1", "C:\\App\\aux.log", "C:\\App\\LPT1", "C:\\App\\nul .txt",
        "C:\\App\\com9.", "C:\\con\\x.txt", "C:\\App\\CONOUT$", "\\\\.\\", "\\\\.\\C:\\x",
        "\\\\?\\", "\\\\?\\C:\\Windows", "\\\\.\\PhysicalDrive0", "//./nul"})
    EXPECT_FALSE(NormaliseWinPath(path).ok) << path;
  // Names that only begin like a device are plain names.
  for (const char* path : {"C:\\App\\console.txt", "C:\\App\\com10", "C:\\App\\nulls", "C:\\LPT"})
    EXPECT_TRUE(NormaliseWinPath(path).ok) << path;
}

TEST(PathForm, Ancestors) {
  const auto a = [](const char* p) { return NormaliseWinPath(p); };
  EXPECT_TRUE(IsAncestorPath(a("C:\\App"), a("C:\\APP\\sub\\Uninst.exe")));
  EXPECT_TRUE(IsAncestorPath(a("C:\\App\\Sub."), a("C:\\App\\sub\\Uninst.exe")));
  EXPECT_TRUE(IsAncestorPath(a("C:\\"), a("C:\\App")));
  EXPECT_FALSE(IsAncestorPath(a("C:\\Ap"), a("C:\\App\\Uninst.exe")));
  EXPECT_FALSE(IsAncestorPath(a("C:\\App\\Uninst.exe"), a("C:\\App\\Uninst.exe")));
  EXPECT_FALSE(IsAncestorPath(a("D:\\App"), a("C:\\App\\Uninst.exe")));
  EXPECT_FALSE(IsAncestorPath(a("C:\\App\\..\\"), a("C:\\App\\Uninst.exe")));
}

// A machine whose folders also have short names, as an NTFS volume gives them.
class ShortNameMachine : public NullPlatform {
 public:
  std::string GetWindowsDirectory() override { return "C:\\Windows"; }
  std::string GetSpecialFolderPath(int csidl) override {
    switch (csidl) {
      case 38:
        return "C:\\Program Files";
      case 40:
        return "C:\\Documents and Settings\\user";
      case 5:
        return "C:\\DOCUME~1\\user\\MYDOCU~1";  // reported in short form
      case 26:
        return "C:\\Documents and Settings\\user\\Application Data";
      default:
        return {};
    }
  }
  std::string GetTempPath() override { return "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\"; }
  std::string LongPathName(const std::string& path) override {
    static const std::map<std::string, std::string> kLong = {
        {"PROGRA~1", "Program Files"},  {"DOCUME~1", "Documents and Settings"},
        {"WINDOW~1", "Windows"},        {"MYDOCU~1", "My Documents"},
        {"MICR~20J", "Microsoft"},      {"STAR~DZT", "Start Menu"},
        {"LOCALS~1", "Local Settings"},
    };
    std::string out;
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = path.find('\\', start);
      if (end == std::string::npos) end = path.size();
      const std::string element = path.substr(start, end - start);
      const auto it = kLong.find(element);
      out += it == kLong.end() ? element : it->second;
      if (end < path.size()) out += '\\';
      start = end + 1;
    }
    return out;
  }
};

TEST(PathForm, ProtectedPlacesUnderOtherSpellings) {
  ShortNameMachine machine;
  const ProtectedPlaces places(machine);
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\PROGRA~1", txt::kProtected},
      {"C:\\PROGRA~1\\", txt::kProtected},
      {"C:\\WINDOW~1\\", txt::kProtected},
      {"C:\\Windows.\\", txt::kProtected},
      {"C:\\WINDOWS \\", txt::kProtected},
      {"C:\\Windows . .", txt::kProtected},
      {"C:\\DOCUME~1", txt::kProtected},
      {"C:\\DOCUME~1\\other", txt::kProtected},
      {"C:\\Documents and Settings\\user\\My Documents", txt::kProtected},
      {"C:\\PROGRA~1\\Demo\\a.txt.", txt::kBadPath},
      {"C:\\PROGRA~1\\Demo\\NUL", txt::kBadPath},
      {"C:\\PROGRA~1\\Demo", ""},
      {"C:\\DOCUME~1\\user\\MYDOCU~1\\Demo.txt", ""},
  };
  for (const auto& [path, reason] : cases) EXPECT_EQ(places.Check(path), reason) << path;
}

// Every file counts as present and removable; the machine remembers what it was asked to delete.
class RecordingMachine : public ShortNameMachine {
 public:
  bool FileExists(const std::string&) override { return true; }
  bool DeleteFile(const std::string& path) override {
    deleted.push_back(path);
    return true;
  }
  std::vector<std::string> deleted;
};

TEST(PathForm, DeviceRecordsAreRefusedUntouched) {
  RecordingMachine machine;
  std::vector<TUnInsData> records;
  for (const char* path :
       {"NUL", "CON.txt", "C:\\COM1", "C:\\App\\aux.log", "LPT1", "C:\\App\\nul .txt",
        "\\\\.\\C:\\App\\a.txt", "\\\\.\\", "\\\\?\\C:\\App\\a.txt", "\\\\?\\"})
    records.push_back({"", path, "", 1, unins_kind::File});
  records.push_back({"", "C:\\App\\a.txt", "", 1, unins_kind::File});
  const RemovalReport report = RemoveRecords(machine, records);
  ASSERT_EQ(report.entries.size(), records.size());
  for (const RemovalEntry& e : report.entries) {
    if (e.record.Path == "C:\\App\\a.txt") continue;
    EXPECT_EQ(e.result, RemovalResult::Refused) << e.record.Path;
    EXPECT_EQ(e.reason, txt::kBadPath) << e.record.Path;
  }
  EXPECT_EQ(machine.deleted, std::vector<std::string>{"C:\\App\\a.txt"});
}

TEST(CleanupGuard, Words) {
  using Words = std::vector<std::string>;
  const std::pair<Words, bool> cases[] = {
      {{"4242", "C:\\App\\Uninst.exe"}, true},
      {{"4294967295", "C:\\App\\Uninst.exe", "C:\\App"}, true},
      {{"4242"}, false},
      {{}, false},
      {{"0", "C:\\App\\Uninst.exe"}, false},
      {{"-1", "C:\\App\\Uninst.exe"}, false},
      {{"4294967296", "C:\\App\\Uninst.exe"}, false},
      {{"99999999999", "C:\\App\\Uninst.exe"}, false},
      {{"12a", "C:\\App\\Uninst.exe"}, false},
      {{" 12", "C:\\App\\Uninst.exe"}, false},
      {{"", "C:\\App\\Uninst.exe"}, false},
  };
  for (const auto& [words, ok] : cases)
    EXPECT_EQ(ParseCleanupWords(words).has_value(), ok) << ::testing::PrintToString(words);
  Words many = {"1", "C:\\a\\b"};
  many.resize(2 + kMaxCleanupFolders + 1, "C:\\a");
  EXPECT_FALSE(ParseCleanupWords(many));
}

// The helper acts only when every fact shows it was started by the uninstaller for its own file.
TEST(CleanupGuard, ActsOnlyForTheUninstallerItWasStartedFor) {
  ShortNameMachine machine;
  const std::string temp = "C:\\Documents and Settings\\user\\Local Settings\\Temp\\";
  const CleanupRequest good{
      4242, "C:\\Apps\\Co\\Demo\\Uninst.exe", {"C:\\Apps\\Co\\Demo", "C:\\Apps\\Co", "C:\\Apps"}};
  const CleanupFacts facts{temp + "sk-uninst-4242-0\\Uninst.exe",
                           machine.GetTempPath(),
                           {"Uninst.exe"},
                           "C:\\APPS\\CO\\DEMO\\UNINST.EXE",
                           true};
  EXPECT_EQ(CleanupRefusal(machine, good, facts), "");

  // In short form on both sides: still the same file and folders.
  CleanupRequest shortForm{4242, "C:\\PROGRA~1\\Demo\\Uninst.exe", {"C:\\PROGRA~1\\Demo"}};
  CleanupFacts shortFacts = facts;
  shortFacts.self = "C:\\DOCUME~1\\user\\LOCALS~1\\Temp\\sk-uninst-4242-17\\Uninst.exe";
  shortFacts.processImage = "C:\\Program Files\\Demo\\uninst.exe";
  EXPECT_EQ(CleanupRefusal(machine, shortForm, shortFacts), "");

  using Change = std::function<void(CleanupRequest&, CleanupFacts&)>;
  const std::pair<const char*, Change> refused[] = {
      {"a victim file the process does not run from",
       [](CleanupRequest& r, CleanupFacts&) {
         r.file = "C:\\Apps\\Co\\Demo\\Data.db";
         r.folders.clear();
       }},
      {"a victim file run by the process under another name",
       [](CleanupRequest& r, CleanupFacts& f) {
         r.file = f.processImage = "C:\\Apps\\Co\\Demo\\Uninst.exe.";
         r.folders.clear();
       }},
      {"a folder that does not hold the file",
       [](CleanupRequest& r, CleanupFacts&) { r.folders = {"C:\\Apps\\Other"}; }},
      {"a folder that only begins like the file's",
       [](CleanupRequest& r, CleanupFacts&) { r.folders = {"C:\\Apps\\Co\\Dem"}; }},
      {"folders outermost first",
       [](CleanupRequest& r, CleanupFacts&) {
         r.folders = {"C:\\Apps\\Co", "C:\\Apps\\Co\\Demo"};
       }},
      {"a folder repeated",
       [](CleanupRequest& r, CleanupFacts&) {
         r.folders = {"C:\\Apps\\Co\\Demo", "C:\\Apps\\Co\\Demo"};
       }},
      {"a drive root", [](CleanupRequest& r, CleanupFacts&) { r.folders.push_back("C:\\"); }},
      {"a protected folder",
       [](CleanupRequest& r, CleanupFacts& f) {
         r.file = f.processImage = "C:\\Program Files\\Uninst.exe";
         r.folders = {"C:\\PROGRA~1"};
       }},
      {"a folder with ..",
       [](CleanupRequest& r, CleanupFacts&) { r.folders = {"C:\\Apps\\Co\\Demo\\..\\Demo"}; }},
      {"a folder with a trailing dot",
       [](CleanupRequest& r, CleanupFacts&) { r.folders = {"C:\\Apps\\Co\\Demo."}; }},
      {"a device as the file",
       [](CleanupRequest& r, CleanupFacts& f) {
         r.file = f.processImage = "C:\\Apps\\Co\\Demo\\NUL";
       }},
      {"a helper outside the temporary folder",
       [](CleanupRequest&, CleanupFacts& f) { f.self = "C:\\Apps\\sk-uninst-4242-0\\Uninst.exe"; }},
      {"a helper one level deeper",
       [temp](CleanupRequest&, CleanupFacts& f) {
         f.self = temp + "x\\sk-uninst-4242-0\\Uninst.exe";
       }},
      {"a helper directly in the temporary folder",
       [temp](CleanupRequest&, CleanupFacts& f) { f.self = temp + "Uninst.exe"; }},
      {"a private folder of another process",
       [temp](CleanupRequest&, CleanupFacts& f) {
         f.self = temp + "sk-uninst-4243-0\\Uninst.exe";
       }},
      {"a folder name that only begins like a private one",
       [temp](CleanupRequest&, CleanupFacts& f) {
         f.self = temp + "sk-uninst-4242-0x\\Uninst.exe";
       }},
      {"a private folder name without a number",
       [temp](CleanupRequest&, CleanupFacts& f) { f.self = temp + "sk-uninst-4242-\\Uninst.exe"; }},
      {"other entries beside the helper",
       [](CleanupRequest&, CleanupFacts& f) { f.selfFolderEntries.push_back("version.dll"); }},
      {"an empty listing", [](CleanupRequest&, CleanupFacts& f) { f.selfFolderEntries.clear(); }},
      {"a process that has ended",
       [](CleanupRequest&, CleanupFacts& f) { f.processImage.clear(); }},
      {"a process running another program",
       [](CleanupRequest&, CleanupFacts& f) { f.processImage = "C:\\Windows\\explorer.exe"; }},
      {"a file with other bytes", [](CleanupRequest&, CleanupFacts& f) { f.sameBytes = false; }},
      {"the helper's own file",
       [](CleanupRequest& r, CleanupFacts& f) {
         r.file = f.processImage = f.self;
         r.folders.clear();
       }},
  };
  for (const auto& [what, change] : refused) {
    CleanupRequest r = good;
    CleanupFacts f = facts;
    change(r, f);
    EXPECT_NE(CleanupRefusal(machine, r, f), "") << what;
  }
}

}  // namespace
}  // namespace sk::test
