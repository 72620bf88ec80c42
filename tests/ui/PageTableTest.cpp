// The page table: one row per PageId in wizard order, agreeing with the package's page list,
// with the window-class names Setup.exe has always registered, distinct manifest keys, and a
// logic for every page.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/PageTable.h"
#include "ui/Startup.h"
#include "ui/Wizard.h"

namespace sk {
namespace {

TEST(PageTable, OneRowPerPageInWizardOrder) {
  // Registered window classes are observable (tools find the windows by them): byte for byte.
  const char* const classNames[kPageCount] = {"TfrmFist",         "TfrmProtocol",
                                              "TfrmSoftExplaion", "TfrmStartFolder",
                                              "TfrmSelComponent", "TfrmSelectInstallDir",
                                              "TfrmAddonsTask",   "TfrmReadyIns",
                                              "TfrmBeginIns",     "TfrmEndIns"};
  ASSERT_EQ(WizardPages().size(), kPageCount);
  std::set<std::string> keys, names;
  for (size_t i = 0; i < kPageCount; ++i) {
    const PageRow& row = kPageTable[i];
    SCOPED_TRACE(row.ClassName);
    EXPECT_EQ(static_cast<size_t>(row.Id), i);
    EXPECT_EQ(&RowOf(row.Id), &row);
    EXPECT_EQ(row.Order, static_cast<int>(i) + 1);
    EXPECT_STREQ(row.ClassName, classNames[i]);
    EXPECT_EQ(&row.ListSwitch, WizardPages()[i].listItem);
    EXPECT_EQ(row.Group, WizardPages()[i].group);
    EXPECT_EQ(row.ListSwitch.group, setting::kPageList);
    EXPECT_TRUE(keys.insert(row.ManifestKey).second) << row.ManifestKey;
    EXPECT_TRUE(names.insert(row.ClassName).second);
  }
}

TEST(PageTable, RolesAndLogic) {
  const std::pair<PageId, PageRole> special[] = {{PageId::Agreement, PageRole::Agreement},
                                                 {PageId::Progress, PageRole::Progress},
                                                 {PageId::Finish, PageRole::Finish}};
  SetupContext context;
  for (const PageRow& row : kPageTable) {
    SCOPED_TRACE(row.ClassName);
    PageRole want = PageRole::Plain;
    for (const auto& [id, role] : special)
      if (id == row.Id) want = role;
    EXPECT_EQ(row.Role, want);
    ASSERT_NE(row.MakeLogic, nullptr);
    EXPECT_NE(row.MakeLogic(context), nullptr);
  }
}

}  // namespace
}  // namespace sk
