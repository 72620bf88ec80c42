// The page logic without windows: settings of each page, texts, the ready summary, progress
// texts, the finish page's boxes, document text, and the headless session on a sandbox.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/sandbox/SandboxPlatform.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"
#include "ui/Actions.h"
#include "ui/InformPages.h"
#include "ui/InstallPages.h"
#include "ui/Session.h"

namespace sk {
namespace {

const std::string kOn = text::kEnabled;

struct Model {
  std::unique_ptr<test::TestMachine> machine = test::MakeSandboxMachine();
  Platform& p = machine->platform();
  TCompile model{p};
  Model() { model.Package().ItemName = "Demo"; }
  void Set(const std::string& name, const std::string& value, uint8_t group) {
    model.Package().InfoList().push_back(
        std::make_unique<TCompileData>(TCompileData{name, value, group}));
  }
};

TEST(PageTexts, FormatWithNameReplacesPlaceholdersOnly) {
  const std::pair<std::string, std::string> rows[] = {
      {"a%sb%sc", "aXbXc"}, {"100%%", "100%"}, {"%d %", "%d %"}, {"%", "%"}, {"", ""}};
  for (const auto& [format, expected] : rows) EXPECT_EQ(FormatWithName(format, "X"), expected);
  EXPECT_EQ(FormatWithName("<%s>", "50%s%%"), "<50%s%%>");  // the name is never a format
}

TEST(WelcomePage, TextsAndSettingsOnTheFirstAssignmentOnly) {
  Model m;
  m.model.Package().ItemName = "A%sB";
  m.p.CreateFile("C:\\bg.jpg")->Close();
  m.Set("\xB1\xB3\xBE\xB0\xCD\xBC\xC6\xAC", "C:\\bg.jpg", 2);       // 背景图片
  m.Set("\xB1\xB3\xBE\xB0\xCD\xBC\xC6\xAC", "C:\\missing.jpg", 2);  // skipped: no such file
  m.Set("\xB9\xAB\xCB\xBE\xC3\xFB\xB3\xC6", "First Co", 2);         // 公司名称
  m.Set("\xB9\xAB\xCB\xBE\xC3\xFB\xB3\xC6", "Second Co", 2);        // a later one wins
  m.Set("\xCD\xF8\xD6\xB7", "http://x.test/", 3);                   // 网址 of another group
  WelcomePage page;
  EXPECT_TRUE(page.Load(&m.model));
  EXPECT_EQ(page.Title,
            "\xBB\xB6\xD3\xAD\xCA\xB9\xD3\xC3\xA1\xB0"
            "A%sB\xA1\xB1\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC");
  EXPECT_EQ(page.Greeting.find("A%sB"), 10u);
  EXPECT_NE(page.Greeting.rfind("A%sB"), 10u);  // both placeholders
  EXPECT_EQ(page.BackgroundPicture, "C:\\bg.jpg");
  EXPECT_EQ(page.Company, "Second Co");
  EXPECT_EQ(page.WebAddress, "");
  m.model.Package().ItemName = "Other";
  EXPECT_FALSE(page.Load(&m.model));
  EXPECT_NE(page.Title.find("A%sB"), std::string::npos);
}

TEST(DocumentPages, GroupAndNameFoldingPerKind) {
  Model m;
  m.Set("\xB1\xEA\xCC\xE2\xCD\xBC\xC6\xAC", "C:\\head3.png", 3);    // 标题图片
  m.Set("\xD0\xAD\xD2\xE9\xCE\xC4\xBC\xFE", "C:\\license.txt", 3);  // 协议文件
  m.Set("\xCB\xB5\xC3\xF7\xCE\xC4\xBC\xFE", "C:\\notes.htm", 5);    // 说明文件
  m.Set("\xCB\xB5\xC3\xF7\xCE\xC4\xBC\xFE", "C:\\wrong.htm", 3);    // notes name in group 3
  DocumentPage agreement(DocumentPage::Kind::Agreement), notes(DocumentPage::Kind::Notes);
  agreement.SetCompile(&m.model);
  notes.SetCompile(&m.model);
  EXPECT_EQ(agreement.TitlePicture, "C:\\head3.png");
  EXPECT_EQ(agreement.Document, "C:\\license.txt");
  EXPECT_EQ(notes.TitlePicture, "");
  EXPECT_EQ(notes.Document, "C:\\notes.htm");
}

TEST(ReadyPage, SummaryFollowsTheChoicesOnEveryAssignment) {
  struct Row {
    uint8_t desktop, quick, start;
    std::string expected;
  };
  const std::string head =
      "\r\n  \xA1\xB0"
      "Demo\xA1\xB1\xB0\xB2\xD7\xB0\xB5\xBD\xA1\xB0"
      "C:\\D"
      "\xA1\xB1\xCE\xC4\xBC\xFE\xBC\xD0\xCF\xC2\r\n\r\n";
  const std::string desk =
      "  \xB4\xB4\xBD\xA8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD\xB5\xBD\xD7\xC0"
      "\xC3\xE6\r\n\r\n";
  const std::string quick =
      "  \xB4\xB4\xBD\xA8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD\xB5\xBD\xBF\xEC"
      "\xCB\xD9\xC6\xF4\xC0\xB8\xD6\xD0\r\n\r\n";
  const std::string start =
      "  \xB4\xB4\xBD\xA8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD\xB5\xBD\xBF\xAA"
      "\xCA\xBC\xB2\xCB\xB5\xA5\xB5\xC4\xA1\xB0"
      "Menu\xA1\xB1\xCE\xC4"
      "\xBC\xFE\xBC\xD0\xD6\xD0\r\n\r\n";
  const Row rows[] = {{0, 0, 0, head},
                      {1, 1, 1, head + desk + quick + start},
                      {0, 1, 0, head + quick},
                      {1, 0, 2, head + desk}};
  for (const Row& r : rows) {
    Model m;
    m.model.Choices().Options.InstallDir = "C:\\D";
    m.model.Choices().Options.StartMenuFolder = "Menu";
    m.model.Choices().Options.CreateDesktop = r.desktop;
    m.model.Choices().Options.CreateQuickLaunch = r.quick;
    m.model.Choices().Options.CreateStartMenu = r.start;
    ReadyPage page;
    page.SetCompile(&m.model);
    EXPECT_EQ(page.Summary, r.expected);
    m.model.Choices().Options.InstallDir = "E:\\New";
    page.SetCompile(&m.model);
    EXPECT_NE(page.Summary.find("E:\\New"), std::string::npos);
  }
}

TEST(ProgressPage, PercentTexts) {
  const std::tuple<int64_t, int64_t, std::string> rows[] = {
      {1, 3, "33%"},
      {2, 3, "67%"},
      {5, 5, "100%"},
      {0, 5, "0%"},
      {1, 8, "13%"},
      {0, 0, "100%"},
      {1, 0, "0%"},
      {1, 200, "1%"},
      {1, 201, "0%"},
      {INT64_MAX - 1, INT64_MAX, "100%"},
      {INT64_MAX / 2, INT64_MAX, "50%"},
      {7, 2, "350%"},
      {INT64_MAX, 1, "922337203685477580700%"}};
  for (const auto& [pos, max, text] : rows)
    EXPECT_EQ(PercentText(pos, max), text) << pos << "/" << max;
}

TEST(ProgressPage, DetailsLinesAndBar) {
  const std::string details = "\xB0\xB2\xD7\xB0\xCF\xEA\xCF\xB8\xD0\xC5\xCF\xA2";  // 安装详细信息
  for (const std::string& value : {kOn, std::string("yes")}) {
    Model m;
    m.Set(details, value, 11);
    ProgressPage page;
    page.SetCompile(&m.model);
    EXPECT_EQ(page.DetailsVisible, value == kOn);
    const ProgressUpdate status = page.InstallProgress("", "status", -1, -1);
    EXPECT_TRUE(status.statusOnly);
    EXPECT_EQ(status.detailsLine, "status");  // added whether or not the memo shows
    const ProgressUpdate file = page.InstallProgress("C:\\a.dll", "hint", 2, 3);
    EXPECT_EQ(file.fileName, "C:\\a.dll");
    EXPECT_EQ(file.percent, "67%");
    EXPECT_EQ(file.barMax, 3);
    EXPECT_EQ(file.barPosition, 2);
    if (value == kOn)
      EXPECT_EQ(file.detailsLine,
                "hint\xA1\xB0"
                "C:\\a.dll\xA1\xB1");
    else
      EXPECT_FALSE(file.detailsLine.has_value());
  }
}

// The progress page hands a held target to its view's question and goes by the answer; without
// a question the held file ends the install.
TEST(ProgressPage, AsksAboutAHeldFile) {
  const std::string pf = "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA\\Program Files\\";
  for (const bool ask : {true, false}) {
    SCOPED_TRACE(ask);
    Model m;
    test::PackageBuilder b;
    b.File("Z:\\app.exe", pf, "NEW");
    const std::string bytes = b.Build();
    m.p.ForceDirectories("C:\\Setup");
    m.p.ForceDirectories("C:\\App");
    for (const auto& [path, data] :
         {std::pair{m.p.ExecutablePath(), bytes}, {"C:\\App\\app.exe", "OLD"}}) {
      auto out = m.p.CreateFile(path);
      out->Write(data.data(), data.size());
      out->Close();
    }
    m.model.LoadPackage(m.p.ExecutablePath());
    m.model.Choices().Options.InstallDir = "C:\\App";
    m.machine->sandbox()->HoldByOtherProgram("C:\\App\\app.exe");
    ProgressPage page;
    page.SetCompile(&m.model);
    std::vector<std::string> asked;
    if (ask)
      page.OnFileInUse = [&](const std::string& target) {
        asked.push_back(target);
        return InUseAnswer::Skip;
      };
    if (ask)
      EXPECT_NO_THROW(page.StartInstall());
    else
      EXPECT_THROW(page.StartInstall(), Error);
    EXPECT_EQ(asked, std::vector<std::string>(ask ? 1 : 0, "C:\\App\\app.exe"));
    m.machine->sandbox()->ReleaseByOtherProgram("C:\\App\\app.exe");
    auto in = m.p.OpenRead("C:\\App\\app.exe");
    std::string data(8, '\0');
    data.resize(in->Read(data.data(), data.size()));
    EXPECT_EQ(data, "OLD");
  }
}

TEST(FinishPage, CheckBoxesFollowTheSettingsAndWriteTheOptions) {
  Model m;
  m.Set("\xD3\xA6\xD3\xC3\xB3\xCC\xD0\xF2\xCE\xC4\xBC\xFE", "C:\\app.exe", 12);  // 应用程序文件
  m.Set("README\xCE\xC4\xBC\xFE", "", 12);  // README文件: folded name, empty value
  m.Set("\xC4\xAC\xC8\xCF\xD6\xF7\xD2\xB3\xC1\xB4\xBD\xD3", "http://h/", 12);  // 默认主页链接
  m.model.Choices().Options.ReadmeChecked = 0;
  FinishPage page;
  page.SetCompile(&m.model);
  EXPECT_TRUE(page.Boxes[0].visible && page.Boxes[0].checked);
  EXPECT_EQ(page.Boxes[0].caption,
            "\xD4\xCB\xD0\xD0\xA1\xB0"
            "Demo\xA1\xB1");
  EXPECT_FALSE(page.Boxes[1].visible);
  EXPECT_TRUE(page.Boxes[2].visible && page.Boxes[2].checked);
  EXPECT_EQ(m.model.Choices().Options.RunAppChecked, 1);
  EXPECT_EQ(m.model.Choices().Options.ReadmeChecked, 0);
  EXPECT_EQ(m.model.Choices().Options.HomePageChecked, 1);
  page.CheckBoxClick(0, false);
  page.CheckBoxClick(2, false);
  EXPECT_EQ(m.model.Choices().Options.RunAppChecked, 0);
  EXPECT_EQ(m.model.Choices().Options.HomePageChecked, 0);
  EXPECT_NE(page.Title.find("Demo"), std::string::npos);
}

TEST(DocumentText, PlainAsItIsHtmlWithoutMarkup) {
  const std::tuple<std::string, std::string, std::string> rows[] = {
      {"a.txt", "line1\nline2\r\n<b>kept</b>", "line1\r\nline2\r\n<b>kept</b>"},
      {"a.htm",
       "<html><head><title>T</title><style>p{}</style></head><body><h1>Title</h1>"
       "<p>One &amp; two&nbsp;&lt;x&gt;</p><!-- note --><p>\xD6\xD0\xCE\xC4  text</p></body>",
       "Title\r\n\r\nOne & two <x>\r\n\r\n\xD6\xD0\xCE\xC4 text"},
      {"b.dat", "  <p>Hi<br>there", "Hi\r\nthere"},
      {"c.html", "<p>unclosed &#65;&#20013; <b", "unclosed A"},
  };
  for (const auto& [path, bytes, expected] : rows)
    EXPECT_EQ(DocumentText(path, bytes), expected) << path;
}

// ---- the headless session (what `setupkit simulate` runs) ----

struct Session {
  std::unique_ptr<test::TestMachine> machine = test::MakeSandboxMachine();
  Platform& p = machine->platform();
  HeadlessSetupWindows windows;
  std::vector<std::string> messages;
  Session() {
    windows.OnMessage = [this](HeadlessSetupWindows::Box, const std::string&,
                               const std::string& t) { messages.push_back(t); };
  }
  void Run(test::PackageBuilder& b) {
    const std::string bytes = b.Build();
    auto out = p.CreateFile(p.ExecutablePath());
    out->Write(bytes.data(), bytes.size());
    out->Close();
    SetupDriver driver(p, windows);
    driver.Execute();
  }
  std::string Actions() {
    std::ifstream in(machine->sandbox()->ActionsLogPath());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

test::PackageBuilder& Wizard(test::PackageBuilder& b, bool progress) {
  b.Setting("\xCF\xEE\xC4\xBF\xC3\xFB\xB3\xC6", "Demo");  // 项目名称
  b.Setting("\xCF\xD4\xCA\xBE\xB0\xB2\xD7\xB0\xB1\xB3\xBE\xB0\xB4\xB0\xBF\xDA",
            "x");  // 显示安装背景窗口
  b.Setting("\xC4\xAC\xC8\xCF\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6", "C:\\Prog", 8);  // 默认安装路径
  b.Setting("\xD3\xA6\xD3\xC3\xB3\xCC\xD0\xF2\xCE\xC4\xBC\xFE", "Z:\\app.exe", 12);  // 应用程序文件
  b.Setting(
      "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xB5\xAF\xB3\xF6\xD0\xC5\xCF\xA2\xCC\xE1"
      "\xCA\xBE",
      "Bye");  // 安装完成后弹出信息提示
  b.Setting(kPageTable[0].ListSwitch.name, kOn, 1);
  if (progress) b.Setting(kPageTable[8].ListSwitch.name, kOn, 1);
  b.Setting(kPageTable[9].ListSwitch.name, kOn, 1);
  b.FileFolders().push_back("\xD6\xB8\xB6\xA8\xC4\xBF\xC2\xBC\\C:\\Prog");  // 指定目录\C:\Prog
  b.File("Z:\\app.exe", "\xD6\xB8\xB6\xA8\xC4\xBF\xC2\xBC\\C:\\Prog", "APP");
  return b;
}

TEST(HeadlessSession, TheWizardWalksItsPagesInstallsAndFinishes) {
  Session s;
  test::PackageBuilder b;
  s.Run(Wizard(b, true));
  EXPECT_EQ(s.windows.WindowRun, "wizard");
  EXPECT_TRUE(s.windows.Installed);
  EXPECT_EQ(s.windows.PagesShown,
            (std::vector<std::string>{"TfrmFist", "TfrmBeginIns", "TfrmEndIns"}));
  EXPECT_TRUE(s.p.FileExists("C:\\Prog\\app.exe"));
  EXPECT_NE(s.Actions().find("C:\\Prog\\app.exe"), std::string::npos);  // the run box was checked
  EXPECT_EQ(s.messages, std::vector<std::string>{"Bye"});
}

TEST(HeadlessSession, AWizardWithoutProgressPageInstallsNothing) {
  Session s;
  test::PackageBuilder b;
  s.Run(Wizard(b, false));
  EXPECT_FALSE(s.windows.Installed);
  EXPECT_FALSE(s.p.FileExists("C:\\Prog\\app.exe"));
  // The finish page still comes and runs its actions.
  EXPECT_EQ(s.messages, std::vector<std::string>{"Bye"});
}

}  // namespace
}  // namespace sk
