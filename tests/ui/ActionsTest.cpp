#include <gtest/gtest.h>

#include "tests/support/PackageBuilder.h"
#include "ui/Actions.h"

namespace sk {
namespace {

// Records the shell, registry and shutdown requests of the actions.
class RecordingPlatform : public test::NullPlatform {
 public:
  struct Key : RegistryKey {
    RecordingPlatform& p;
    explicit Key(RecordingPlatform& owner) : p(owner) {}
    bool WriteString(const std::string& n, const std::string& v) override {
      p.log.push_back("value " + n + "=" + v);
      return true;
    }
    bool WriteDword(const std::string&, uint32_t) override { return false; }
    bool WriteBinary(const std::string&, const std::string&) override { return false; }
    std::optional<RegValue> ReadValue(const std::string&) override { return {}; }
    bool ValueExists(const std::string&) override { return false; }
  };

  std::vector<std::string> log;
  std::optional<OsVersion> version = OsVersion{2, 6, 1, 0};
  bool keyOpens = true;

  bool ShellExecute(const std::string& verb, const std::string& file, const std::string& params,
                    const std::string& dir, int show) override {
    log.push_back("shell " + verb + "|" + file + "|" + params + "|" + dir + "|" +
                  std::to_string(show));
    return false;  // failures are ignored by the actions
  }
  std::unique_ptr<RegistryKey> OpenKey(RegRoot root, const std::string& sub, bool create) override {
    log.push_back("key " + std::to_string(static_cast<uint32_t>(root)) + " " + sub +
                  (create ? " create" : ""));
    if (!keyOpens) return nullptr;
    return std::make_unique<Key>(*this);
  }
  std::optional<OsVersion> GetVersion() override { return version; }
  bool EnableShutdownPrivilege() override {
    log.push_back("privilege");
    return false;
  }
  bool RequestReboot() override {
    log.push_back("reboot");
    return false;
  }
};

TEST(ActionsTest, ShellAndRegistryRequests) {
  RecordingPlatform p;
  RunFile(p, "C:\\App\\bin\\run.exe");
  OpenWebPage(p, "http://example.test/");
  SetStartPage(p, "http://home.test/");
  p.keyOpens = false;
  SetStartPage(p, "http://skipped.test/");
  const std::vector<std::string> expected = {
      "shell Open|C:\\App\\bin\\run.exe||C:\\App\\bin\\|1",
      "shell open|http://example.test/|||3",
      "key 2147483649 SoftWare\\MicroSoft\\Internet Explorer\\Main create",
      "value Start Page=http://home.test/",
      "key 2147483649 SoftWare\\MicroSoft\\Internet Explorer\\Main create",
  };
  EXPECT_EQ(p.log, expected);
}

TEST(ActionsTest, RebootEnablesPrivilegeOnlyOnNtFamily) {
  struct Row {
    std::optional<OsVersion> version;
    std::vector<std::string> log;
  };
  const Row rows[] = {
      {OsVersion{2, 6, 1, 0}, {"privilege", "reboot"}},
      {OsVersion{2, 5, 0, 0}, {"privilege", "reboot"}},
      {OsVersion{1, 4, 10, 0}, {"reboot"}},
  };
  for (const Row& r : rows) {
    RecordingPlatform p;
    p.version = r.version;
    RebootSystem(p);
    EXPECT_EQ(p.log, r.log);
  }
}

TEST(ActionsTest, NoOptionsWindowRunsOnlyCheckedProgramAndReadme) {
  struct Row {
    uint8_t app, readme;
    std::vector<std::string> log;
  };
  const Row rows[] = {
      {0, 0, {}},
      {1, 0, {"shell Open|C:\\P\\a.exe||C:\\P\\|1"}},
      {1, 1, {"shell Open|C:\\P\\a.exe||C:\\P\\|1", "shell Open|C:\\P\\r.txt||C:\\P\\|1"}},
      {0, 1, {"shell Open|C:\\P\\r.txt||C:\\P\\|1"}},
  };
  for (const Row& r : rows) {
    RecordingPlatform p;
    TCompile model(p);
    model.Choices().Options.AppFile = "C:\\P\\a.exe";
    model.Choices().Options.ReadmeFile = "C:\\P\\r.txt";
    model.Choices().Options.RunAppChecked = r.app;
    model.Choices().Options.ReadmeChecked = r.readme;
    model.Choices().Options.HomePageChecked = 1;  // never acted upon without the wizard
    model.Choices().Options.HomePageUrl = "http://home.test/";
    model.Choices().Options.WebHint = "http://web.test/";
    RunActionsWithoutWizard(model);
    EXPECT_EQ(p.log, r.log);
  }
}

TEST(ActionsTest, RebootQuestionOnlyForExactlyEnabled) {
  test::NullPlatform p;
  TCompile model(p);
  for (const auto& [value, wanted] :
       std::vector<std::pair<std::string, bool>>{{text::kEnabled, true},
                                                 {"\xCA\xC7", false},
                                                 {"", false},
                                                 {std::string(text::kEnabled) + " ", false}}) {
    model.Choices().Options.RebootOs = value;
    EXPECT_EQ(RebootWanted(model), wanted) << value;
  }
}

TEST(ActionsTest, QuestionTextsAreExactGbk) {
  EXPECT_EQ(RebootQuestion("X"),
            "\xA1\xB0X\xA1\xB1\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC\xD0\xE8\xD2\xAA\xD6\xD8\xC6\xF4"
            "\xB2\xD9\xD7\xF7\xCF\xB5\xCD\xB3\xA3\xAC\xB7\xBD\xBF\xC9\xCD\xEA\xB3\xC9\xB0\xB2"
            "\xD7\xB0\xA1\xA3\xD2\xAA\xD7\xD4\xB6\xAF\xD6\xD8\xC6\xF4\xC2\xF0\xA3\xBF");
  EXPECT_EQ(InstallingCaption("X"),
            "\xD5\xFD\xD4\xDA\xB0\xB2\xD7\xB0\xA1\xB0X\xA1\xB1\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF2...");
}

}  // namespace
}  // namespace sk
