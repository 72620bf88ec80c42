// The wizard walks of the end-to-end suites share this: a setup with a wizard package that
// enables the welcome, agreement, notes, ready, progress and finish pages (documents and
// pictures staged, the program and `files` small files going to `app` or below the install
// folder), started on a fresh
// test machine, and the robot steps that find its pages, labels and buttons. A test adds what
// it needs to `b` before Start().
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/E2eSupport.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/PngFile.h"
#include "tests/support/TestMachine.h"

namespace sk::e2e {

using robot::HWND;
inline const std::string kNext = G("下一步(&N)->");
inline const std::string kBack = G("<-上一步(&P)");
inline const std::string kCancel = G("取消(&C)");
inline const std::string kFinish = G("完成(&F)");
inline const std::string kAgree = G("我同意(&T)");

// A PNG picture of the given size: a diagonal blue-to-orange gradient.
inline std::string GradientPng(int width, int height) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* px = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      const int t = (x + y) * 255 / (width + height);
      px[0] = static_cast<uint8_t>(40 + t * 3 / 4);
      px[1] = static_cast<uint8_t>(90 + t / 4);
      px[2] = static_cast<uint8_t>(220 - t * 3 / 4);
      px[3] = 255;
    }
  return test::PngFile(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                       test::PngPixels::Rgba, rgba.data());
}

// The display's DPI for the programs started while it lives (the user's LogPixels value); 96
// again afterwards.
struct DisplayDpi {
  explicit DisplayDpi(unsigned long dpi) { Set(dpi); }
  ~DisplayDpi() { Set(96); }
  DisplayDpi(const DisplayDpi&) = delete;
  DisplayDpi& operator=(const DisplayDpi&) = delete;
  static void Set(unsigned long dpi) {
    robot::SetCurrentUserDword("Control Panel\\Desktop", "LogPixels", dpi);
  }
};

struct WizardRun {
  std::unique_ptr<test::TestMachine> machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  std::string exe = machine->root() + "Setup.exe";
  std::string app = machine->root() + "App";
  test::PackageBuilder b;
  std::unique_ptr<robot::Process> proc;
  HWND wizard = nullptr;

  // Where the program's files go: `app` itself, or the folder "App" below the install folder
  // (which is `app` unless the user chooses another).
  enum class Target { App, InstallDir };
  std::string target;

  // A wizard package with every built page, documents and pictures staged.
  explicit WizardRun(int files = 3, bool background = false, Target to = Target::App)
      : target(to == Target::App ? G("指定目录\\") + app : G("目标计算机\\Program Files\\App")) {
    b.Setting(G("项目名称"), kItem);
    b.Setting(G("作者名称"), G("演示作者"));
    b.Setting(G("作者网址"), "http://example.test/");
    b.Setting(G("显示加载进度"), G("否"));
    b.Setting(G("显示安装背景窗口"), background ? kOn : G("否"));
    if (background) {
      b.Setting(G("安装背景图片"), "D:\\pics\\back.png");
      b.File("D:\\pics\\back.png", "", GradientPng(640, 480), kind::PageFile);
    }
    b.Setting(G("默认安装路径"), app, 8);
    b.Setting(G("安装完成后弹出信息提示"), G("感谢安装"));
    for (const char* page :
         {"欢迎", "安装协议", "软件使用说明", "确认安装", "安装进程", "安装完毕"})
      b.Setting(G(page), kOn, 1);
    b.Setting(G("公司名称"), G("演示公司"), 2);
    b.Setting(G("网址"), "http://example.test/", 2);
    b.Setting(G("标题图片"), "D:\\pics\\head.png", 3);
    b.Setting(G("协议文件"), "D:\\docs\\license.txt", 3);
    b.Setting(G("说明文件"), "D:\\docs\\notes.htm", 5);
    b.Setting(G("安装详细信息"), kOn, 11);
    b.Setting(G("应用程序文件"), "D:\\src\\demo.exe", 12);
    b.Setting(G("背景图片"), "D:\\pics\\side.png", 2);
    b.Setting(G("标题图片"), "D:\\pics\\head.png", 10);
    b.Setting(G("背景图片"), "D:\\pics\\side.png", 12);
    b.File("D:\\pics\\head.png", "", GradientPng(508, 57), kind::PageFile);
    b.File("D:\\pics\\side.png", "", GradientPng(150, 294), kind::PageFile);
    b.File("D:\\docs\\license.txt", "", G("第一条 许可\r\n本软件仅供演示。\r\n第二条 责任\r\n"),
           kind::PageFile);
    b.File("D:\\docs\\notes.htm", "",
           G("<html><body><h1>使用说明</h1><p>运行 demo.exe &amp; 阅读。</p></body></html>"),
           kind::PageFile);
    b.FileFolders().push_back(target);
    b.File("D:\\src\\demo.exe", target, "MZ demo program");
    for (int i = 0; i < files; ++i)
      b.File("D:\\src\\f" + std::to_string(i) + ".txt", target, "file " + std::to_string(i));
  }
  // Starts Setup.exe, with `arguments` as its command line after the name.
  void Start(const std::string& arguments = "") {
    b.WriteWithStubFile(SK_SETUP_EXE, exe);
    proc = std::make_unique<robot::Process>(exe, machine->root(), arguments);
    ASSERT_NE(proc->Id(), 0u);
    wizard = robot::WaitWindow(proc->Id(), "TfrmParent", "", kTimeout);
    ASSERT_NE(wizard, nullptr);
  }
  HWND Page(const std::string& cls) {
    HWND page = nullptr;
    robot::WaitUntil([&] { return (page = robot::VisibleDescendant(wizard, cls)) != nullptr; },
                     kTimeout);
    return page;
  }
  // Next (and I agree) from the welcome page to the progress page, which starts the install.
  void WalkToProgress() {
    for (const char* cls : {"TfrmFist", "TfrmProtocol", "TfrmSoftExplaion", "TfrmReadyIns"}) {
      ASSERT_NE(Page(cls), nullptr) << cls;
      Press(std::string(cls) == "TfrmProtocol" ? kAgree : kNext);
    }
  }
  HWND Button(const std::string& text) { return robot::ButtonWithText(wizard, text); }
  void Press(const std::string& text) {
    HWND b = Button(text);
    ASSERT_NE(b, nullptr) << text;
    robot::Click(b);
  }
  std::vector<std::string> Labels(HWND page) {
    std::vector<std::string> out;
    for (HWND h : robot::Descendants(page, "TLabel"))
      if (robot::IsVisible(h)) out.push_back(robot::TextOf(h));
    return out;
  }
  bool HasLabel(HWND page, const std::string& text) {
    for (const std::string& l : Labels(page))
      if (l == text) return true;
    return false;
  }
  std::string EditText(HWND page) {
    for (HWND h : robot::Descendants(page, "Edit"))
      if (robot::IsVisible(h)) return robot::TextOf(h);
    return "<no edit>";
  }
  void Settle() {
    robot::WaitUntil([] { return false; }, 300);
  }
};

}  // namespace sk::e2e
