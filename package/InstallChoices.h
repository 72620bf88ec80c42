// What the user chooses in a setup session: the install options (folders, shortcut and launch
// switches, seeded by the package load with the package's defaults and texts) and the chosen
// components. A plain value: the pages edit it, the install pipeline reads it and writes back
// the installed paths of AppFile and ReadmeFile. No errors, no ownership beyond its strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sk {

// <windows.h> defines CreateDesktop as a macro for the desktop-object function (A/W). A source
// that includes it first would see the field below as CreateDesktopW, and the program would hold
// two definitions of this struct. Nothing here calls that function, so the macro goes.
#ifdef CreateDesktop
#undef CreateDesktop
#endif

// The install options; bytes are switches (0 off, 1 on).
struct TInstallData {
  uint8_t ShowWizard = 1;
  std::string StartMenuFolder;
  uint8_t CreateStartMenu = 1;
  std::string InstallDir;
  uint8_t CreateDesktop = 0;
  uint8_t CreateQuickLaunch = 0;
  uint8_t RunAppChecked = 0;
  uint8_t ReadmeChecked = 0;
  uint8_t HomePageChecked = 0;
  std::string AppFile;
  std::string ReadmeFile;
  std::string HomePageUrl;
  std::string RebootOs;
  std::string HintMsg;
  std::string BeforeHintMsg;
  std::string WebHint;
  std::string DefaultHtml;
  std::string EnableUnIns;
  int64_t TotalSize = 0;
};

struct InstallChoices {
  TInstallData Options;
  std::vector<std::string> ComponentList;  // chosen components, as the list names them
};

}  // namespace sk
