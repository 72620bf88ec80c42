// The setting-name table: every row spells the word the packages carry, no two rows of one group
// share a name, and the page list matches the pages' own groups.
#include <gtest/gtest.h>

#include <set>

#include "package/Compile.h"
#include "package/SettingNames.h"
#include "platform/Encoding.h"

namespace sk {
namespace {

using namespace setting;

TEST(SettingNames, RowsSpellTheStoredWords) {
  // Written here in UTF-8, independently of the GBK escapes of the table.
  const std::pair<const SettingName*, const char*> rows[] = {
      {&kItemName, "项目名称"},
      {&kAuthor, "作者名称"},
      {&kVersion, "版本号"},
      {&kUrl, "作者网址"},
      {&kPatch, "Patch"},
      {&kRebootOs, "安装完成后，重启操作系统"},
      {&kHintMsg, "安装完成后弹出信息提示"},
      {&kBeforeHintMsg, "安装前弹出信息提示"},
      {&kWebHint, "安装完成后弹出网页链接"},
      {&kDefaultHtml, "安装完成后设置IE默认主页"},
      {&kEnableUnIns, "卸载程序"},
      {&kShowWizard, "显示安装界面"},
      {&kShowLoading, "显示加载进度"},
      {&kShowBackground, "显示安装背景窗口"},
      {&kMusic, "背景音乐"},
      {&kBackgroundPicture, "安装背景图片"},
      {&kCompressionType, "压缩类型"},
      {&kSetupIcon, "安装程序图标"},
      {&kUninstallerIcon, "卸载程序图标"},
      {&kPageWelcome, "欢迎"},
      {&kPageAgreement, "安装协议"},
      {&kPageNotes, "软件使用说明"},
      {&kPageStartMenu, "选择开始菜单文件夹"},
      {&kPageComponents, "选择安装组件包"},
      {&kPageInstallFolder, "选择安装文件夹"},
      {&kPageTasks, "附加任务"},
      {&kPageReady, "确认安装"},
      {&kPageProgress, "安装进程"},
      {&kPageFinish, "安装完毕"},
      {&kWelcomePicture, "背景图片"},
      {&kWelcomeCompany, "公司名称"},
      {&kWelcomeWebsite, "网址"},
      {&kAgreementHeader, "标题图片"},
      {&kAgreementFile, "协议文件"},
      {&kNotesHeader, "标题图片"},
      {&kNotesFile, "说明文件"},
      {&kStartMenuHeader, "标题图片"},
      {&kStartMenuFolder, "默认文件夹名称"},
      {&kStartMenuAllowChange, "允许用户修改文件夹名称"},
      {&kStartMenuShowOption, "显示用户选择选项"},
      {&kComponentsHeader, "标题图片"},
      {&kInstallFolderHeader, "标题图片"},
      {&kDefaultInstallDir, "默认安装路径"},
      {&kInstallFolderAllowChange, "允许用户修改安装路径"},
      {&kSearchKeywords, "搜索关键字"},
      {&kTasksHeader, "标题图片"},
      {&kCreateDesktop, "创建桌面快捷方式"},
      {&kCreateQuickLaunch, "创建快速启栏快捷方式"},
      {&kReadyHeader, "标题图片"},
      {&kProgressHeader, "标题图片"},
      {&kShowDetails, "安装详细信息"},
      {&kFinishPicture, "背景图片"},
      {&kAppFile, "应用程序文件"},
      {&kReadmeFile, "Readme文件"},
      {&kHomePageUrl, "默认主页链接"},
  };
  std::set<const SettingName*> spelled;
  for (const auto& [row, utf8] : rows) {
    EXPECT_EQ(row->name, Utf8ToGbk(utf8).value()) << utf8;
    spelled.insert(row);
  }
  // Every row of the full list is pinned above, and the full list holds every row once.
  EXPECT_EQ(spelled.size(), AllSettingNames().size());
  for (const SettingName* row : AllSettingNames()) EXPECT_TRUE(spelled.count(row)) << row->meaning;
  EXPECT_EQ(text::kEnabled, Utf8ToGbk("启用").value());
  EXPECT_EQ(text::kDisabled, Utf8ToGbk("不启用").value());
}

TEST(SettingNames, GroupsAndPages) {
  // Within a group (and across the any-group names, which every group sees) names are unique
  // under the ASCII case folding that most readers use.
  std::set<std::pair<int, std::string>> seen;
  for (const SettingName* row : AllSettingNames()) {
    EXPECT_TRUE(row->group == kAnyGroup || IsReadGroup(row->group)) << row->meaning;
    EXPECT_TRUE(seen.insert({row->group, LowerAscii(row->name)}).second) << row->meaning;
    if (row->group != kAnyGroup) {
      EXPECT_FALSE(seen.count({kAnyGroup, LowerAscii(row->name)})) << row->meaning;
    }
  }
  // The page list: ten switches of group 1, each page reading its own group, in group order.
  ASSERT_EQ(WizardPages().size(), 10u);
  int previous = kPageList;
  for (const WizardPageSettings& page : WizardPages()) {
    EXPECT_EQ(page.listItem->group, kPageList);
    EXPECT_GT(page.group, previous);
    EXPECT_TRUE(IsReadGroup(page.group));
    previous = page.group;
  }
  EXPECT_EQ(previous, kLastGroup);
  const std::pair<int, bool> groups[] = {{-1, false}, {0, true}, {1, true},  {3, true},
                                         {4, false},  {5, true}, {12, true}, {13, false}};
  for (auto [group, read] : groups) EXPECT_EQ(IsReadGroup(group), read) << group;
}

}  // namespace
}  // namespace sk
