// Small tools every wizard page uses (portable):
// - PageModel: the model a page borrows, with the "initialise on the first assignment only"
//   rule of the pages' Compile property.
// - WalkPageSettings: the items of one setting group in package order, matched against the
//   page's names either exactly (byte for byte) or with ASCII-only case folding.
// - FormatWithName: a designed caption with every "%s" replaced by the project name (the name
//   is an argument, so a "%" in it stays as it is).
// All texts are GBK.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "package/Compile.h"
#include "package/SettingNames.h"

namespace sk {

class PageModel {
 public:
  // Stores the model on the first non-null assignment and returns true then; later
  // assignments change nothing and return false.
  bool Assign(TCompile* model) {
    if (model_ || !model) return false;
    model_ = model;
    return true;
  }
  TCompile* get() const { return model_; }
  TCompile* operator->() const { return model_; }
  explicit operator bool() const { return model_ != nullptr; }

 private:
  TCompile* model_ = nullptr;
};

enum class NameMatch { Exact, AsciiCaseFolded };

// Calls apply(index into names, value) for each item of `group`, in package order, whose name
// matches one of `names`; items matching none are passed over. A later item of the same name
// is applied after an earlier one, so it wins.
void WalkPageSettings(const TCompile& model, int group, NameMatch match,
                      const std::vector<std::string>& names,
                      const std::function<void(size_t which, const std::string& value)>& apply);

// Replaces every "%s" of `format` with `name`; "%%" gives "%"; any other byte is kept.
std::string FormatWithName(const std::string& format, const std::string& name);

// GBK names of the settings more than one page reads.
namespace page_setting {
inline const std::string& kTitlePicture = setting::kHeaderPictureName;  // 标题图片
inline const std::string& kBackgroundPicture = setting::kPictureName;   // 背景图片
}  // namespace page_setting

}  // namespace sk
