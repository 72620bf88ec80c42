// The switches of Setup.exe (ui/Switches.h) as the user's choices: checked against the package
// with the rules its wizard pages enforce, and applied to the model — the same rules and the
// same page logic that `setupkit simulate --install-dir ...` answers through.
//
// ApplyChoices is the one place where switches become choices: each choice page of the run
// (the wizard's sequence; none for the no-options window) fills itself from the package as on
// a visit, then takes the switches that belong to it, exactly as a click or an edit would. The
// model's Options and ComponentList end as after a user's visit with Next on every page. A
// choice whose page the package does not show, or that the page hides or locks, throws
// ChoiceNotOffered before anything is installed; nothing on the machine is changed by this call.
#pragma once

#include <string>
#include <vector>

#include "package/Compile.h"
#include "ui/Choices.h"
#include "ui/Startup.h"
#include "ui/Switches.h"

namespace sk {

// The choices of valid switches (/D=, /COMPONENTS=, /TASKS=, /NOSTARTMENU, /GROUP=).
WizardChoices ChoicesFromSwitches(const SetupSwitches& switches);

// The page classes on which this package's run offers choices: the wizard's sequence when the
// package runs the wizard, none when it runs the no-options window or no window.
std::vector<std::string> ChoicePageClasses(const TCompile& model);

void ApplyChoices(TCompile& model, const SetupContext& context, const WizardChoices& choices,
                  const std::vector<std::string>& pageClasses);

// The refusal as the switch the user wrote: BadSwitchMessage of that word (GBK).
std::string NotOfferedMessage(const ChoiceNotOffered& refusal, const SetupSwitches& switches);

}  // namespace sk
