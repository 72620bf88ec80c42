// What the wizard host expects of a page: a form it can place into its page panel and hand the
// package model to (on every visit). Pages are created by class name through the PageRegistry.
#pragma once

#include "package/Compile.h"
#include "ui/Startup.h"

namespace sk::ui {

class TContainer;

class TPageForm {
 public:
  virtual ~TPageForm() = default;
  virtual void SetCompile(TCompile* model) = 0;
};

// Factories take the host's page panel (the page's parent) and the run's texts.
using PageRegistry = ClassRegistry<TPageForm, TContainer&, SetupContext&>;

}  // namespace sk::ui
