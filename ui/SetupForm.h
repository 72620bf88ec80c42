// The Win32 start-up of the setup's windows: the page class registry (the ten page classes by
// name) and SetupWindows on real windows. Each Run* call creates its form without owner, hands
// it the model, shows it modally and destroys it; an error that ended the form's work is
// rethrown after the form is gone.
#pragma once

#include <string>

#include "ui/Install.h"
#include "ui/Page.h"

namespace sk::ui {

// Registers the ten page class names. Pages that are not built yet register a factory that
// creates nothing, so the host shows no page for them.
void RegisterPageClasses(PageRegistry& registry);
void UnregisterPageClasses(PageRegistry& registry);

class Win32SetupWindows : public SetupWindows {
 public:
  Win32SetupWindows();
  ~Win32SetupWindows() override;

  void SetApplicationTitle(const std::string& title) override { title_ = title; }
  const std::string& ApplicationTitle() const { return title_; }
  void ShowPreInstallMessage(const std::string& text, const std::string& caption) override;
  void RunLoadingWindow(TCompile& model, SetupContext& context) override;
  void RunInstallWindow(TCompile& model, SetupContext& context) override;
  void RunBackgroundWindow(TCompile& model, SetupContext& context) override;
  void RunWizard(TCompile& model, SetupContext& context) override;

  const PageRegistry& Pages() const { return pages_; }

 private:
  std::string title_;
  PageRegistry pages_;
};

}  // namespace sk::ui
