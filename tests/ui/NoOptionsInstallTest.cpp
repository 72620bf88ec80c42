// The no-options window's logic on a sandbox machine: the close query before, during and after
// the install, the reboot question and its answer, a failed install, and the progress callback
// that is hooked only while the install runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "package/Integrity.h"
#include "platform/sandbox/SandboxPlatform.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"
#include "ui/Actions.h"
#include "ui/NoOptionsInstall.h"

namespace sk {
namespace {

std::string ActionsLog(SandboxPlatform& p) {
  std::ifstream in(p.ActionsLogPath(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(NoOptionsInstall, CloseQueryRebootAndFailure) {
  struct Case {
    const char* what;
    std::string reboot;  // the package's reboot switch
    bool answer;         // the user's answer to the question
    bool damaged;        // the package cannot be read when the install starts
    NoOptionsState state;
    bool asked, rebooted;
  };
  const Case cases[] = {
      {"reboot, Yes", text::kEnabled, true, false, NoOptionsState::Done, true, true},
      {"reboot, No", text::kEnabled, false, false, NoOptionsState::Done, true, false},
      {"no reboot", text::kDisabled, true, false, NoOptionsState::Done, false, false},
      {"failed install", text::kEnabled, true, true, NoOptionsState::Failed, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto machine = test::MakeSandboxMachine();
    SandboxPlatform& p = *machine->sandbox();
    test::PackageBuilder b;
    b.Setting(setting::kItemName.name, "Demo");
    b.Setting(setting::kRebootOs.name, c.reboot);
    b.File("Z:\\app.txt", "", "A");
    const std::string bytes = b.Build();
    {
      auto out = p.CreateFile(p.ExecutablePath());
      out->Write(bytes.data(), bytes.size());
      out->Close();
    }
    TCompile model(p);
    LoadSetupFile(model);
    if (c.damaged) ASSERT_TRUE(p.DeleteFile(p.ExecutablePath()));

    NoOptionsInstall run(model);
    std::vector<std::string> questions;
    const auto ask = [&](const std::string& q) {
      questions.push_back(q);
      return c.answer;
    };
    EXPECT_FALSE(run.CloseQuery(ask)) << "nothing closes before the install";

    int events = 0;
    bool refusedWhileRunning = false;
    run.Run([&](const std::string&, const std::string&, int64_t, int64_t) {
      ++events;
      refusedWhileRunning = !run.CloseQuery(ask);
    });
    EXPECT_EQ(run.State(), c.state);
    EXPECT_EQ(run.Failure() != nullptr, c.damaged);
    if (!c.damaged) {
      EXPECT_GT(events, 0);
      EXPECT_TRUE(refusedWhileRunning);
    }

    EXPECT_TRUE(run.CloseQuery(ask));
    EXPECT_EQ(questions, c.asked ? std::vector<std::string>{RebootQuestion("Demo")}
                                 : std::vector<std::string>{});
    EXPECT_EQ(ActionsLog(p).find("RequestReboot") != std::string::npos, c.rebooted);

    // A second run installs nothing more.
    events = 0;
    run.Run([&](const std::string&, const std::string&, int64_t, int64_t) { ++events; });
    EXPECT_EQ(events, 0);
    EXPECT_EQ(run.State(), c.state);
  }
}

}  // namespace
}  // namespace sk
