// What the Win32 wizard host expects of a page: a WizardPage (ui/Wizard.h) whose view lives in
// the host's page panel. Pages are created by class name through the PageRegistry; a factory
// gets the page panel (the parent of the page's window) and the run's texts, and the host owns
// what it returns. A view overrides BringToFront to raise its window; it keeps its controls
// in step with its portable page logic (ui/InformPages.h, ui/InstallPages.h, ...).
#pragma once

#include "package/Compile.h"
#include "ui/Startup.h"
#include "ui/Wizard.h"

namespace sk::ui {

class TContainer;

using TPageForm = WizardPage;

// Factories take the host's page panel (the page's parent) and the run's texts.
using PageRegistry = ClassRegistry<TPageForm, TContainer&, SetupContext&>;

}  // namespace sk::ui
