// Component setups run inside the install's transaction: the files a component copies into the
// Windows folder stay after a successful install and are taken back with a failed one.
#include <gtest/gtest.h>

#include "engine/UninstallTexts.h"
#include "platform/SystemHelpers.h"
#include "tests/engine/UninstallSupport.h"

namespace sk::test {
namespace {

void Put(Platform& p, const std::string& path, const std::string& bytes) {
  p.ForceDirectories(ExtractFilePath(path));
  auto out = p.CreateFile(path);
  out->Write(bytes.data(), bytes.size());
  out->Close();
}

TEST(ComponentUndo, CopiedSystemFilesFollowTheInstallsOutcome) {
  const struct {
    const char* what;
    bool blockUninstaller;  // a folder where the uninstaller goes: the run fails after components
    bool copyStays;
  } cases[] = {{"install succeeds", false, true}, {"install fails later", true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto m = Sandbox();
    Platform& p = m->platform();
    PackageBuilder b;
    Base(b);
    b.File("Z:\\app.exe", kPF, "APP");
    Put(p, "C:\\Setup.exe", b.Build());
    Put(p, "C:\\Staged\\Lib\\Lib.ini",
        "[RegistryList]\r\nRegtype=copy\r\n[SysDirList]\r\nlib.dll=[System "
        "Directory]\\\\lib.dll\r\n");
    Put(p, "C:\\Staged\\Lib\\lib.dll", "LIB");
    const std::string dir = "C:\\Program Files\\Demo";
    if (c.blockUninstaller) {
      ASSERT_TRUE(p.ForceDirectories(dir + "\\Uninst.exe"));
    }

    TCompile model(p);
    model.LoadPackage("C:\\Setup.exe");
    model.Choices().Options.InstallDir = dir;
    model.Package().CompList().push_back(
        std::make_unique<TCompileCompData>(TCompileCompData{"Lib", 0}));
    for (const char* name : {"Lib.ini", "lib.dll"}) {
      auto item = std::make_unique<TCompileFileData>();
      item->Kind = kind::CompFile;
      item->Name = "Lib";
      item->SourcePath = std::string("C:\\Staged\\Lib\\") + name;
      model.Package().FileList().push_back(std::move(item));
    }
    model.Choices().ComponentList = {"lib"};
    std::string message;
    try {
      InstallPackage(model, nullptr, "C:\\Setup.exe");
    } catch (const Error& e) {
      message = e.what();
    }
    EXPECT_EQ(message.find(uninstall_text::kUndone) != std::string::npos, c.blockUninstaller)
        << message;
    EXPECT_EQ(p.FileExists("C:\\Windows\\lib.dll"), c.copyStays);
  }
}

}  // namespace
}  // namespace sk::test
