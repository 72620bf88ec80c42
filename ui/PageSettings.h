// Small tools every wizard page uses (portable):
// - PageModel: the model a page borrows, with the "initialise on the first assignment only"
//   rule of the pages' Compile property.
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

// Replaces every "%s" of `format` with `name`; "%%" gives "%"; any other byte is kept.
std::string FormatWithName(const std::string& format, const std::string& name);

}  // namespace sk
