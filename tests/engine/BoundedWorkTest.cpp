// Crafted packages that once cost quadratic time or unbounded depth: a component file listing
// tens of thousands of files, thousands of shortcuts retargeted by thousands of files, a
// registry key a hundred thousand levels deep. Each must end correctly (times are in
// docs/reliability.md; tests assert results, not durations).
#include <gtest/gtest.h>

#include "engine/ComponentSetup.h"
#include "engine/Files.h"
#include "engine/Texts.h"
#include "tests/engine/InstallTestSupport.h"

namespace sk::test {
namespace {

TEST(BoundedWork, ComponentFileWithTwentyThousandKeys) {
  auto m = MakeSandboxMachine();
  Platform& p = m->platform();
  TCompile model(p);
  const std::string staged = m->root() + "Comp\\Many\\";
  ASSERT_TRUE(p.ForceDirectories(staged));
  model.Package().CompList().push_back(
      std::make_unique<TCompileCompData>(TCompileCompData{"Many", 0}));
  model.Choices().ComponentList.push_back("many");
  auto stage = [&](const std::string& name, const std::string& content) {
    auto item = std::make_unique<TCompileFileData>();
    item->Kind = kind::CompFile;
    item->Name = "Many";
    item->SourcePath = staged + name;
    auto out = p.CreateFile(item->SourcePath);
    out->Write(content.data(), content.size());
    out->Close();
    model.Package().FileList().push_back(std::move(item));
  };
  // 20,000 keys; only every 500th names a staged file, so the run copies 40 files.
  std::string ini = "[RegistryList]\r\nRegtype=Copy\r\n[SysDirList]\r\n";
  for (int i = 0; i < 20000; ++i) {
    const std::string n = std::to_string(i);
    ini += "F" + n + ".DLL=[System Directory]\\\\out" + n + ".dll\r\n";
    if (i % 500 == 0) stage("f" + n + ".dll", "data" + n);
  }
  stage("Many.ini", ini);

  RunComponentSetups(model.Package(), model.Choices());

  for (int i = 0; i < 20000; i += 250) {
    const std::string out = "C:\\Windows\\out" + std::to_string(i) + ".dll";
    EXPECT_EQ(p.FileExists(out), i % 500 == 0) << out;
  }
  auto in = p.OpenRead("C:\\Windows\\out19500.dll");
  std::string data(16, '\0');
  data.resize(in->Read(data.data(), data.size()));
  EXPECT_EQ(data, "data19500");
}

TEST(BoundedWork, ThousandsOfShortcutsRetargetedByThousandsOfFiles) {
  auto m = MakeSandboxMachine();
  std::vector<TShotCutData> links;
  constexpr int kFiles = 3000;
  for (int i = 0; i < kFiles; ++i) {
    TShotCutData& link = links.emplace_back();
    link.Target = "Z:\\BUILD\\f" + std::to_string(i) + ".exe";  // case differs from the source
    link.IconFile = i % 2 ? "z:\\build\\f" + std::to_string(i - 1) + ".exe" : "";
  }
  links.emplace_back().Target = "z:\\build\\f0.exe";

  ShortcutReferences refs(links);
  for (int i = 0; i < kFiles; ++i) {
    refs.Retarget("z:\\build\\f" + std::to_string(i) + ".exe",
                  "C:\\App\\f" + std::to_string(i) + ".exe");
  }
  // A later file whose source is an installed path moves its references on, as one pass per
  // file did.
  refs.Retarget("c:\\app\\F0.EXE", "C:\\Moved\\f0.exe");

  for (int i = 0; i < kFiles; ++i) {
    const TShotCutData& link = links[static_cast<size_t>(i)];
    const std::string want =
        i == 0 ? "C:\\Moved\\f0.exe" : "C:\\App\\f" + std::to_string(i) + ".exe";
    ASSERT_EQ(link.Target, want) << i;
    if (i % 2) {
      const std::string icon =
          i == 1 ? "C:\\Moved\\f0.exe" : "C:\\App\\f" + std::to_string(i - 1) + ".exe";
      ASSERT_EQ(link.IconFile, icon) << i;
    } else {
      ASSERT_EQ(link.IconFile, "") << i;
    }
  }
  EXPECT_EQ(links.back().Target, "C:\\Moved\\f0.exe");
}

TEST(BoundedWork, RegistryKeyAHundredThousandLevelsDeep) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += i ? "\\k" : "k";
  PackageBuilder b;
  b.RegFolders().push_back(kMachine + "HKEY_CURRENT_USER\\" + deep);
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\" + deep, "v", "x");
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Shallow", "v", "x");
  InstallRun run(b, MakeSandboxMachine());
  run.Install();  // no crash, no exception: the levels the system refuses are passed over

  Platform& p = run.platform();
  std::string level = "k";
  for (int i = 1; i < 512; ++i) level += "\\k";
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, level));
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, level + "\\k"));
  auto shallow = p.OpenKey(RegRoot::CurrentUser, "Software\\Shallow", false);
  ASSERT_NE(shallow, nullptr);
  EXPECT_EQ(shallow->ReadValue("v")->data, "x");
}

}  // namespace
}  // namespace sk::test
