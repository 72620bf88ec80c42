// What the informing pages do, without windows (portable): the welcome page (TfrmFist) and the
// two document pages, agreement (TfrmProtocol) and usage notes (TfrmSoftExplaion).
//
// Each page is a WizardPage. Load(model) runs the page's initialisation on the first
// assignment only and returns true then; the Win32 views call it and then show the state.
// Nothing here writes to the model. Picture and document paths are the setting values as
// stored (the staged copies when the support files were staged); the views load them.
#pragma once

#include <string>

#include "ui/PageSettings.h"
#include "ui/Wizard.h"

namespace sk {

class WelcomePage : public WizardPage {
 public:
  // Designed captions before formatting.
  static const std::string kTitle;  // "欢迎使用“%s”安装向导"
  static const std::string kGreeting;  // "欢迎使用“%s”，这个向导将指引您完成对“%s”的安装进程。"
  static const std::string kAdvice;  // fixed text: close other programs; click Next

  bool Load(TCompile* model);
  void SetCompile(TCompile* model) override { Load(model); }

  std::string Title = kTitle;
  std::string Greeting = kGreeting;
  std::string Advice = kAdvice;
  std::string Company;            // shown when not empty
  std::string WebAddress;         // shown as a link when not empty
  std::string BackgroundPicture;  // an existing file, or empty

 private:
  PageModel compile_;
};

// The agreement page reads group 3 and "协议文件"; the usage-notes page group 5 and "说明文件".
class DocumentPage : public WizardPage {
 public:
  enum class Kind { Agreement, Notes };
  explicit DocumentPage(Kind kind) : kind_(kind) {}

  bool Load(TCompile* model);
  void SetCompile(TCompile* model) override { Load(model); }
  Kind PageKind() const { return kind_; }

  std::string TitlePicture;  // empty: none
  std::string Document;      // path the browser view shows; empty: an empty view

 private:
  Kind kind_;
  PageModel compile_;
};

// The background window's picture: the last general setting named exactly "安装背景图片" whose
// value names an existing file; empty when there is none.
std::string BackgroundWindowPicture(TCompile& model);

// The text to show for a document when no browser view exists: HTML (by extension .htm/.html,
// or content starting with a tag) with its markup removed, entities &lt; &gt; &amp; &quot;
// &nbsp; and numeric ones decoded, block ends as line breaks; any other file as it is. Lines
// end in CR LF. The bytes stay GBK.
std::string DocumentText(const std::string& path, const std::string& bytes);

}  // namespace sk
