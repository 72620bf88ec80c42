// Answers to the wizard's choice pages given in advance, for a run without a user (`setupkit
// simulate`). Each answer is made through the page's own logic right after the page filled
// itself, exactly as a click or an edit would make it, so the model ends up as after a user's
// visit. An answer the package does not offer is an error: its page is not in the sequence, or
// the control it needs is hidden or read-only there (ChoiceNotOffered names the option).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "ui/ChoicePages.h"

namespace sk {

// The option (as the command line spells it) that the package does not offer.
class ChoiceNotOffered : public Error {
 public:
  ChoiceNotOffered(const std::string& option, const std::string& why, std::string item = {})
      : Error(option + ": " + why), option_(option), item_(std::move(item)) {}
  const std::string& Option() const { return option_; }
  // The name the package does not know (a component), empty when the option itself is refused.
  const std::string& Item() const { return item_; }

 private:
  std::string option_, item_;
};

struct WizardChoices {
  std::optional<std::string> installDir;               // --install-dir (GBK)
  std::optional<std::string> startMenuFolder;          // --start-menu-folder (GBK)
  std::optional<bool> createStartMenu;                 // --no-start-menu gives false
  std::optional<std::vector<std::string>> components;  // --components / --no-components
  std::optional<bool> desktop;                         // --desktop / --no-desktop
  std::optional<bool> quickLaunch;                     // --quick-launch / --no-quick-launch
  bool noRun = false;                                  // --no-run
  bool noReadme = false;                               // --no-readme

  bool Empty() const;

  // Throws ChoiceNotOffered for the first answer whose page is not among `classNames` (the
  // page classes of the wizard's sequence; empty when the package shows no wizard).
  void CheckPages(const std::vector<std::string>& classNames) const;

  // Make the answers of one page; throw ChoiceNotOffered when the page hides what they need.
  void ApplyTo(StartFolderPage& page) const;
  void ApplyTo(SelComponentPage& page) const;
  void ApplyTo(SelectInstallDirPage& page) const;
  void ApplyTo(AddonsTaskPage& page) const;
};

}  // namespace sk
