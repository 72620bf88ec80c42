// What the user reads when an install cannot write a file: a sentence that names the file and
// the cause, the system's reason after it, and the undo text, which speaks of replaced files
// only when the run really overwrote one. Runs on the machine of the build's layer (the
// sandbox natively, the Win32 layer under Wine).
#include <gtest/gtest.h>

#include <functional>

#include "engine/FileErrorTexts.h"
#include "engine/FileErrors.h"
#include "engine/UninstallTexts.h"
#include "tests/engine/InstallTestSupport.h"

namespace sk::test {
namespace {

namespace txt = file_error_text;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The error the machine gives for creating `path` (fails the test when it does not fail).
Error CreateError(Platform& p, const std::string& path) {
  try {
    p.CreateFile(path)->Close();
  } catch (const Error& e) {
    return e;
  }
  ADD_FAILURE() << "creating " << path << " did not fail";
  return Error("");
}

TEST(InstallErrors, SentenceNamesFileAndCause) {
  auto m = MakeTestMachine();
  Platform& p = m->platform();
  const std::string root = m->root();
  p.CreateFile(root + "plain")->Close();
  ASSERT_TRUE(p.CreateDirectory(root + "folder"));
  p.CreateFile(root + "busy.txt")->Close();
  auto holder = p.CreateFile(root + "busy.txt.lock");  // keeps its file open for writing

  struct Case {
    const char* what;
    std::string path;
    std::function<Error()> error;
    std::string opening;
    std::string cause;
  };
  const Case cases[] = {
      {"a folder on the path is a file", root + "plain\\a.txt",
       [&] { return CreateError(p, root + "plain\\a.txt"); }, txt::kCannotCreate,
       txt::kParentIsFileOpen + root + "plain" + txt::kParentIsFileClose},
      {"a deeper folder on the path is a file", root + "plain\\x\\a.txt",
       [&] { return CreateError(p, root + "plain\\x\\a.txt"); }, txt::kCannotCreate,
       txt::kParentIsFileOpen + root + "plain" + txt::kParentIsFileClose},
      {"the folder is missing", root + "none\\a.txt",
       [&] { return CreateError(p, root + "none\\a.txt"); }, txt::kCannotCreate,
       txt::kParentMissingOpen + root + "none" + txt::kParentMissingClose},
      {"a folder has the file's name", root + "folder",
       [&] { return CreateError(p, root + "folder"); }, txt::kCannotCreate, txt::kFolderSameName},
      {"the file is in use", root + "busy.txt.lock",
       [&] { return CreateError(p, root + "busy.txt.lock"); }, txt::kCannotOverwrite, txt::kInUse},
      {"the disk is full", root + "a.txt", [] { return Error("write failed", 112, "DISK"); },
       txt::kCannotWrite, txt::kDiskFull},
      {"access denied", root + "busy.txt", [] { return Error("denied", 5, "DENIED"); },
       txt::kCannotWrite, txt::kAccessDenied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Error e = c.error();
    const std::string text = FileErrorText(p, c.path, e);
    EXPECT_EQ(text.rfind(c.opening + c.path + txt::kBecause + c.cause, 0), 0u) << text;
    ASSERT_FALSE(e.reason().empty());
    EXPECT_TRUE(text.ends_with("\r\n" + e.reason())) << text;
  }
  // Without a code the sentence stands alone and the original message follows it.
  const std::string plain = FileErrorText(p, root + "a.txt", Error("zlib: data error"));
  EXPECT_EQ(plain, txt::kCannotWrite + root + "a.txt" + txt::kEnd + "\r\nzlib: data error");
}

// A package that fails at its last file; `prepare` sets up the machine before the install.
std::string FailedInstallMessage(PackageBuilder& b, const std::function<void(InstallRun&)>& prepare,
                                 const std::function<void(InstallRun&)>& check) {
  b.Setting(kEnableUnInsName, text::kEnabled);
  b.File("Z:\\blocked.txt", kPF, "B");
  InstallRun run(b, MakeTestMachine());
  EXPECT_TRUE(run.platform().ForceDirectories(run.installDir() + "\\blocked.txt"));
  if (prepare) prepare(run);
  std::string message;
  try {
    run.Install();
  } catch (const Error& e) {
    message = e.what();
  }
  if (check) check(run);
  return message;
}

TEST(InstallErrors, UndoRemovesNewFilesAndRestoresReplacedOnes) {
  struct Case {
    const char* what;
    std::function<void(PackageBuilder&)> package;
    std::function<void(InstallRun&)> prepare;
    bool replaced;
  };
  const Case cases[] = {
      {"only new files", [](PackageBuilder& b) { b.File("Z:\\a.txt", kPF, "A"); }, {}, false},
      // Kept by an uninstall, but still undone: the failed run leaves nothing of its own.
      {"a new file kept on uninstall",
       [](PackageBuilder& b) { b.File("Z:\\a.txt", kPF, "A").KeepOnUninstall = 1; },
       {},
       false},
      {"a file the package names twice",
       [](PackageBuilder& b) {
         b.File("Z:\\a.txt", kPF, "A1");
         b.File("Y:\\a.txt", kPF, "A2");
       },
       {},
       false},
      {"an existing file that is overwritten",
       [](PackageBuilder& b) { b.File("Z:\\a.txt", kPF, "A"); },
       [](InstallRun& run) {
         ASSERT_TRUE(run.platform().ForceDirectories(run.installDir()));
         run.Write(run.installDir() + "\\a.txt", "OLD");
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackageBuilder b;
    c.package(b);
    std::string installDir;
    const std::string message = FailedInstallMessage(b, c.prepare, [&](InstallRun& run) {
      installDir = run.installDir();
      // What the run created is gone; what it replaced is back with its earlier content.
      EXPECT_EQ(run.platform().FileExists(installDir + "\\a.txt"), c.replaced);
      if (c.replaced) {
        EXPECT_EQ(run.Read(installDir + "\\a.txt"), "OLD");
      }
    });
    ASSERT_TRUE(Has(message, uninstall_text::kUndone)) << message;
    EXPECT_FALSE(Has(message, uninstall_text::kReplacedStay)) << message;
    EXPECT_EQ(message.rfind(txt::kCannotCreate + installDir + "\\blocked.txt", 0), 0u) << message;
  }
}

// A file that cannot be opened for writing keeps its content: it was not replaced.
TEST(InstallErrors, FileInUseIsNotReplaced) {
  PackageBuilder b;
  b.Setting(kEnableUnInsName, text::kEnabled);
  b.File("Z:\\a.txt", kPF, "A");
  b.File("Z:\\busy.exe", kPF, "NEW");
  InstallRun run(b, MakeTestMachine());
  Platform& p = run.platform();
  const std::string busy = run.installDir() + "\\busy.exe";
  ASSERT_TRUE(p.ForceDirectories(run.installDir()));
  run.Write(busy, "RUNNING");
  std::string message;
  {
    auto holder = p.CreateFile(busy + ".x");  // another file open: the install goes on
    auto reader = p.OpenRead(busy);           // the program runs: its file cannot be written
    try {
      run.Install();
    } catch (const Error& e) {
      message = e.what();
    }
  }
  EXPECT_EQ(message.rfind(txt::kCannotOverwrite + busy + txt::kBecause + txt::kInUse, 0), 0u)
      << message;
  EXPECT_FALSE(Has(message, uninstall_text::kReplacedStay)) << message;
  EXPECT_EQ(run.Read(busy), "RUNNING");
  EXPECT_FALSE(p.FileExists(run.installDir() + "\\a.txt"));
}

}  // namespace
}  // namespace sk::test
