// What the end-to-end suites share: the wait limit, GBK literals from UTF-8, the project texts
// of the test packages, and screenshots into SK_SCREENSHOT_DIR.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/Encoding.h"
#include "tests/e2e/Robot.h"
#include "tests/support/PackageBuilder.h"

namespace sk::e2e {

constexpr int kTimeout = 30000;

inline std::string G(const char* utf8) {
  return *Utf8ToGbk(utf8);
}
inline const std::string kOn = G("启用");
inline const std::string kItem = G("演示程序");
inline const std::string kCaption = G("“演示程序”安装向导");

// The process's next message box once `previous` has gone (nullptr when none comes in time).
inline robot::HWND WaitNextMessageBox(robot::DWORD pid, robot::HWND previous) {
  robot::HWND next = nullptr;
  robot::WaitUntil(
      [&] {
        next = robot::WaitMessageBox(pid, 100);
        return next != nullptr && next != previous;
      },
      kTimeout);
  return next;
}

// A package without windows (no wizard: the small install window) that puts one file,
// demo.exe, into the folder `app`.
// A package without the wizard (the no-options window) that installs into `app`.
inline void NoOptionsPackage(test::PackageBuilder& b, const std::string& app) {
  b.Setting(G("项目名称"), kItem);
  b.Setting(G("显示安装界面"), G("否"));
  b.Setting(G("默认安装路径"), app, 8);
  b.FileFolders().push_back(G("指定目录\\") + app);
}

inline void OneFileNoOptionsPackage(test::PackageBuilder& b, const std::string& app) {
  NoOptionsPackage(b, app);
  b.File("D:\\src\\demo.exe", G("指定目录\\") + app, "MZ demo program");
}

inline void Shot(robot::HWND hwnd, const std::string& name) {
  const std::string path = std::string(SK_SCREENSHOT_DIR) + "\\" + name + ".png";
  EXPECT_TRUE(robot::Screenshot(hwnd, path)) << path;
}

}  // namespace sk::e2e
