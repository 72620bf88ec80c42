// The wizard host's logic with recording pages and frame: which pages a package enables, the
// button table, the close query by state, Finish and an install that fails.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"
#include "ui/Actions.h"
#include "ui/Wizard.h"

namespace sk {
namespace {

// References: the names are strings of another translation unit, built during its own
// dynamic initialisation, which may come after this one's.
const std::string kOn = text::kEnabled;
const std::string& kWelcome = kPageTable[0].ListSwitch.name;
const std::string& kAgreement = kPageTable[1].ListSwitch.name;
const std::string& kReady = kPageTable[7].ListSwitch.name;
const std::string& kProgress = kPageTable[8].ListSwitch.name;
const std::string& kFinish = kPageTable[9].ListSwitch.name;

std::vector<std::string> Names(const std::vector<const PageRow*>& rows) {
  std::vector<std::string> out;
  for (const PageRow* r : rows) out.push_back(r->ClassName);
  return out;
}

TEST(WizardPages, EnabledPagesFollowTheTableOrderAndTheExactValue) {
  struct Row {
    std::vector<std::pair<std::string, std::string>> items;  // page list in package order
    std::vector<std::string> pages;
  };
  const Row rows[] = {
      {{{kFinish, kOn}, {kWelcome, kOn}, {kReady, kOn}},
       {"TfrmFist", "TfrmReadyIns", "TfrmEndIns"}},
      {{{kWelcome, ""}, {kAgreement, "\xCA\xC7"}, {kReady, kOn + " "}}, {}},  // not exactly 启用
      {{{"Unknown", kOn}, {kProgress, kOn}}, {"TfrmBeginIns"}},
      {{}, {}},
  };
  for (const Row& r : rows) {
    NullPlatform p;
    TCompile model(p);
    for (const auto& [name, value] : r.items)
      model.Package().InfoList().push_back(
          std::make_unique<TCompileData>(TCompileData{name, value, 1}));
    // The same name in another group enables nothing.
    model.Package().InfoList().push_back(
        std::make_unique<TCompileData>(TCompileData{kAgreement, kOn, 0}));
    EXPECT_EQ(Names(EnabledPages(model)), r.pages);
  }
}

// A page that records what the host did to it.
struct FakePage : WizardPage {
  std::vector<std::string>& log;
  std::string name;
  std::function<void()> install;
  FakePage(std::vector<std::string>& l, std::string n) : log(l), name(std::move(n)) {}
  void SetCompile(TCompile* m) override { log.push_back(name + (m ? " compile" : " null")); }
  void StartInstall() override {
    log.push_back(name + " install");
    if (install) install();
  }
  void BringToFront() override { log.push_back(name + " front"); }
};

struct FakeFrame : WizardFrame {
  std::vector<NavButtons> states;
  std::vector<std::string> boxes;
  bool answer = false;
  int closes = 0;
  void ButtonsChanged(const NavButtons& b) override { states.push_back(b); }
  void ShowInfo(const std::string& t) override { boxes.push_back("info " + t); }
  bool AskYesNo(const std::string& t) override {
    boxes.push_back("ask " + t);
    return answer;
  }
  void RequestClose() override { ++closes; }
};

struct Wizard {
  std::unique_ptr<test::TestMachine> machine = test::MakeSandboxMachine();
  TCompile model{machine->platform()};
  FakeFrame frame;
  WizardHost host{frame};
  std::vector<std::string> log;
  std::function<void()> install;

  explicit Wizard(const std::vector<std::string>& pages) {
    model.Package().ItemName = "Demo";
    for (const std::string& p : pages)
      model.Package().InfoList().push_back(std::make_unique<TCompileData>(TCompileData{p, kOn, 1}));
    host.SetCompile(&model);
  }
  void Build() {
    host.BuildPages([this](const std::string& cls) -> std::unique_ptr<WizardPage> {
      if (cls == "TfrmSoftExplaion") return nullptr;  // a class without a page
      auto page = std::make_unique<FakePage>(log, cls);
      if (cls == "TfrmBeginIns")
        page->install = [this] {
          if (install) install();
        };
      return page;
    });
  }
  std::string Actions() {
    std::ifstream in(machine->sandbox()->ActionsLogPath());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST(WizardHost, ButtonTableThroughAWholeWizard) {
  Wizard w({kFinish, kProgress, kReady, kAgreement, kWelcome, kPageTable[2].ListSwitch.name});
  NavButtons during;
  WizardState tagDuring = WizardState::UnderWay;
  bool closeDuring = true;
  w.install = [&] {
    during = w.host.Buttons();
    tagDuring = w.host.State;
    closeDuring = w.host.CloseQuery();
  };
  w.Build();
  ASSERT_EQ(w.host.PageCount(), 5u);  // the explanation class made no page
  using B = ButtonState;
  const B prevHidden{false, true, caption::kPrevious}, prevShown{true, true, caption::kPrevious};
  const B next{true, true, caption::kNext}, cancel{true, true, caption::kCancel};
  EXPECT_EQ(w.frame.states.back(), (NavButtons{prevHidden, next, cancel}));
  w.host.NextClick();  // agreement
  EXPECT_EQ(w.frame.states.back(), (NavButtons{prevShown, {true, true, caption::kAgree}, cancel}));
  w.host.NextClick();  // ready
  EXPECT_EQ(w.frame.states.back(), (NavButtons{prevShown, next, cancel}));
  w.host.PreviousClick();
  w.host.NextClick();
  w.host.NextClick();  // progress, then finish by itself
  EXPECT_EQ(during, (NavButtons{{true, false, caption::kPrevious},
                                {true, false, caption::kNext},
                                {true, false, caption::kCancel}}));
  EXPECT_EQ(tagDuring, WizardState::Installing);
  EXPECT_FALSE(closeDuring);
  EXPECT_EQ(w.host.State, WizardState::Finished);
  EXPECT_EQ(w.host.PageIndex, 4);
  EXPECT_EQ(w.frame.states.back(), (NavButtons{{false, false, caption::kPrevious},
                                               {false, false, caption::kNext},
                                               {true, true, caption::kFinish}}));
  const std::vector<std::string> expected = {
      "TfrmFist compile",     "TfrmFist front",     "TfrmProtocol compile", "TfrmProtocol front",
      "TfrmReadyIns compile", "TfrmReadyIns front", "TfrmProtocol compile", "TfrmProtocol front",
      "TfrmReadyIns compile", "TfrmReadyIns front", "TfrmBeginIns compile", "TfrmBeginIns front",
      "TfrmBeginIns install", "TfrmEndIns compile", "TfrmEndIns front"};
  EXPECT_EQ(w.log, expected);
  EXPECT_TRUE(w.frame.boxes.empty());
}

TEST(WizardHost, CloseQueryByState) {
  struct Row {
    WizardState tag;
    std::string rebootOs;
    bool answer;
    bool allowed;
    std::vector<std::string> boxes;
    bool rebooted;
  };
  const std::string quit = "ask " + QuitQuestion("Demo");
  const std::string reboot = "ask " + RebootQuestion("Demo");
  const Row rows[] = {
      {WizardState::UnderWay, kOn, false, false, {quit}, false},
      {WizardState::UnderWay, "", true, true, {quit}, false},
      {WizardState::Installing, kOn, true, false, {}, false},
      {WizardState::Finished, kOn, true, true, {reboot}, true},
      {WizardState::Finished, kOn, false, true, {reboot}, false},
      {WizardState::Finished, "\xCA\xC7", true, true, {}, false},  // "是" is not 启用
      {WizardState::Failed, kOn, true, true, {}, false},
  };
  for (const Row& r : rows) {
    Wizard w({});
    w.model.Choices().Options.RebootOs = r.rebootOs;
    w.frame.answer = r.answer;
    w.host.State = r.tag;
    EXPECT_EQ(w.host.CloseQuery(), r.allowed) << static_cast<int>(r.tag);
    EXPECT_EQ(w.frame.boxes, r.boxes) << static_cast<int>(r.tag);
    EXPECT_EQ(w.Actions().find("RequestReboot") != std::string::npos, r.rebooted)
        << static_cast<int>(r.tag);
  }
}

TEST(WizardHost, CancelBeforeTheInstallAsksAndNoKeepsThePage) {
  Wizard w({kWelcome, kReady});
  w.Build();
  w.host.NextClick();
  w.host.CancelClick();
  EXPECT_EQ(w.frame.closes, 0);
  EXPECT_EQ(w.host.PageIndex, 1);
  w.frame.answer = true;
  w.host.CancelClick();
  EXPECT_EQ(w.frame.closes, 1);
  EXPECT_EQ(w.Actions(), "") << "no completion action before the install";
}

TEST(WizardHost, FinishRunsTheCompletionActionsInOrderThenCloses) {
  Wizard w({kProgress, kFinish});
  TInstallData& o = w.model.Choices().Options;
  o.RunAppChecked = o.ReadmeChecked = o.HomePageChecked = 1;
  o.AppFile = "C:\\App\\app.exe";
  o.ReadmeFile = "C:\\App\\readme.txt";
  o.HomePageUrl = "http://home.test/";
  o.HintMsg = "Thanks";
  o.WebHint = "http://web.test/";
  o.DefaultHtml = "http://default.test/";
  w.Build();
  ASSERT_EQ(w.host.State, WizardState::Finished);
  // The close box asks nothing and runs no action.
  EXPECT_TRUE(w.host.CloseQuery());
  EXPECT_EQ(w.Actions(), "");
  w.host.CancelClick();
  EXPECT_EQ(w.frame.closes, 1);
  EXPECT_EQ(w.frame.boxes, std::vector<std::string>{"info Thanks"});
  const std::string log = w.Actions();
  const size_t app = log.find("app.exe"), readme = log.find("readme.txt"),
               web = log.find("web.test");
  ASSERT_NE(web, std::string::npos) << log;
  EXPECT_LT(app, readme);
  EXPECT_LT(readme, web);
  auto key = w.machine->platform().OpenKey(RegRoot::CurrentUser,
                                           "Software\\Microsoft\\Internet Explorer\\Main", false);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->ReadValue("Start Page")->data, "http://default.test/");
}

TEST(WizardHost, AnInstallErrorEndsTheWizardOnce) {
  Wizard w({kWelcome, kProgress, kFinish});
  w.install = [] { throw Error("C:\\App\\a.dll: disk full"); };
  w.Build();
  w.host.NextClick();
  EXPECT_EQ(w.frame.closes, 1);
  ASSERT_TRUE(w.host.Failure());
  EXPECT_EQ(w.host.State, WizardState::Failed);
  EXPECT_EQ(w.host.PageIndex, 1);  // the finish page was never shown
  EXPECT_TRUE(w.host.CloseQuery());
  EXPECT_TRUE(w.frame.boxes.empty());
}

TEST(WizardHost, EndsOfTheSequenceHaveNoPageToShow) {
  Wizard none({});
  none.Build();
  none.host.NextClick();
  none.host.PreviousClick();
  EXPECT_EQ(none.host.PageIndex, 0);
  EXPECT_TRUE(none.frame.states.empty() || none.frame.states.back().next.enabled);

  // A progress page that ends the sequence offers Finish instead of staying locked.
  Wizard last({kWelcome, kProgress});
  last.Build();
  last.host.NextClick();
  EXPECT_EQ(last.host.State, WizardState::Finished);
  EXPECT_EQ(last.frame.states.back().cancel, (ButtonState{true, true, caption::kFinish}));
}

}  // namespace
}  // namespace sk
