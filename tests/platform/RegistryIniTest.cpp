// Registry and INI reads that must behave alike on the sandbox and on Windows.
#include <gtest/gtest.h>

#include "tests/support/TestMachine.h"

namespace sk {
namespace {

class Registry : public ::testing::Test {
 protected:
  std::unique_ptr<test::TestMachine> m = test::MakeTestMachine();
  Platform& p = m->platform();
  std::string base = m->regKey();
};

TEST_F(Registry, ValueTypesRoundTrip) {
  auto key = p.OpenKey(RegRoot::CurrentUser, base + "\\Values", true);
  ASSERT_NE(key, nullptr);
  std::string gbk = "\xD6\xD0\xCE\xC4 text";  // "中文 text"
  std::string binary("\x00\x01\xFF", 3);
  ASSERT_TRUE(key->WriteString("Text", gbk));
  ASSERT_TRUE(key->WriteString("", "default"));
  ASSERT_TRUE(key->WriteDword("Number", 0x12345678));
  ASSERT_TRUE(key->WriteBinary("Bytes", binary));
  struct Case {
    const char* name;
    RegType type;
    std::string data;
  } cases[] = {
      {"text", RegType::String, gbk},  // value names ignore case
      {"", RegType::String, "default"},
      {"NUMBER", RegType::Dword, std::string("\x78\x56\x34\x12", 4)},
      {"Bytes", RegType::Binary, binary},
  };
  auto again = p.OpenKey(RegRoot::CurrentUser, "\\" + base + "\\VALUES", false);
  ASSERT_NE(again, nullptr);
  for (const Case& c : cases) {
    std::optional<RegValue> v = again->ReadValue(c.name);
    ASSERT_TRUE(v) << c.name;
    EXPECT_EQ(v->type, c.type) << c.name;
    EXPECT_EQ(v->data, c.data) << c.name;
    EXPECT_TRUE(again->ValueExists(c.name));
  }
  EXPECT_FALSE(again->ValueExists("Missing"));
  EXPECT_EQ(again->ReadValue("Missing"), std::nullopt);
}

TEST_F(Registry, TrailBytesAreNotLetters) {
  // Names that differ only in a GBK trail byte that looks like 'A' or 'a' are two names.
  auto key = p.OpenKey(RegRoot::CurrentUser, base + "\\Trail", true);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->WriteString("\x81\x41", "upper"));
  EXPECT_FALSE(key->ValueExists("\x81\x61"));
  ASSERT_TRUE(key->WriteString("\x81\x61", "lower"));
  EXPECT_EQ(key->ReadValue("\x81\x41")->data, "upper");
  EXPECT_EQ(key->ReadValue("\x81\x61")->data, "lower");
  EXPECT_TRUE(p.CreateKey(RegRoot::CurrentUser, base + "\\Trail\\\x81\x42"));
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, base + "\\Trail\\\x81\x62"));
}

TEST_F(Registry, KeysExistAndAreCreatedWithParents) {
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, base));
  EXPECT_EQ(p.OpenKey(RegRoot::CurrentUser, base + "\\A", false), nullptr);
  EXPECT_TRUE(p.CreateKey(RegRoot::CurrentUser, base + "\\A\\B"));
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, base + "\\a\\b"));
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, "\\" + base + "\\A"));
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, base + "\\A\\C"));
  EXPECT_FALSE(p.KeyExists(RegRoot::LocalMachine, base + "\\A"));
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, "Software"));
}

// A key is deleted only when it has no subkeys, as the system's registry refuses otherwise;
// its values go with it. The roots are never deleted.
TEST_F(Registry, DeleteKeyRefusesKeysWithSubkeys) {
  ASSERT_TRUE(p.CreateKey(RegRoot::CurrentUser, base + "\\Parent\\Child"));
  ASSERT_TRUE(p.OpenKey(RegRoot::CurrentUser, base + "\\Parent", false)->WriteString("v", "1"));
  struct Case {
    std::string key;
    bool deleted;
    std::string gone;  // the key the deletion removes, when it succeeds
  } cases[] = {
      {base + "\\Parent", false, ""},  // it still has Child
      {base + "\\Missing", false, ""},
      {"", false, ""},
      {"\\", false, ""},
      {base + "\\parent\\CHILD", true, base + "\\Parent\\Child"},
      {base + "\\Parent", true, base + "\\Parent"},  // now a leaf, values and all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(p.DeleteKey(RegRoot::CurrentUser, c.key), c.deleted);
    if (c.deleted) {
      EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, c.gone));
    }
  }
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, base));
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, "Software"));
}

class Ini : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text =
        "; comment\r\n"
        "[General]\r\n"
        "  Name = Demo App  \r\n"
        "Quoted=\"  padded  \"\r\n"
        "Single='x'\r\n"
        "Empty=\r\n"
        "name=second\r\n"
        ";hidden=1\r\n"
        "no equals sign\r\n"
        "[\xCE\xC4\xBC\xFE]\r\n"  // "[文件]"
        "\xC2\xB7\xBE\xB6=C:\\\xB3\xCC\xD0\xF2\r\n"
        "[general]\r\n"
        "Late=1\r\n"
        "[Quotes]\r\n"
        "Lone=\"\r\n"
        "Mixed=\"x'\r\n"
        "Inner=a\"b\"\r\n";
    auto out = p.CreateFile(ini);
    out->Write(text.data(), text.size());
    out->Close();
  }
  std::unique_ptr<test::TestMachine> m = test::MakeTestMachine();
  Platform& p = m->platform();
  std::string ini = m->root() + "setup.ini";
};

TEST_F(Ini, ReadString) {
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"General", "Name", "Demo App"},
      {"GENERAL", "name", "Demo App"},  // first match wins
      {"General", "Quoted", "  padded  "},
      {"General", "Single", "x"},
      {"General", "Empty", ""},
      {"General", "Missing", "def"},
      {"General", "Late", "def"},  // only the first [General] section is read
      {"Other", "Name", "def"},
      {"\xCE\xC4\xBC\xFE", "\xC2\xB7\xBE\xB6", "C:\\\xB3\xCC\xD0\xF2"},
      // Quotes are taken off only in pairs around the whole value.
      {"Quotes", "Lone", "\""},
      {"Quotes", "Mixed", "\"x'"},
      {"Quotes", "Inner", "a\"b\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(p.IniReadString(ini, c.section, c.key, "def"), c.expected)
        << c.section << "/" << c.key;
  }
  EXPECT_EQ(p.IniReadString(m->root() + "none.ini", "General", "Name", "d"), "d");
}

TEST_F(Ini, SectionKeys) {
  EXPECT_EQ(p.IniSectionKeys(ini, "general"),
            (std::vector<std::string>{"Name", "Quoted", "Single", "Empty", "name"}));
  EXPECT_EQ(p.IniSectionKeys(ini, "\xCE\xC4\xBC\xFE"),
            (std::vector<std::string>{"\xC2\xB7\xBE\xB6"}));
  EXPECT_TRUE(p.IniSectionKeys(ini, "Other").empty());
  EXPECT_TRUE(p.IniSectionKeys(m->root() + "none.ini", "General").empty());
}

}  // namespace
}  // namespace sk
