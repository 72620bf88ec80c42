#include "tools/setupkit/SwitchHelp.h"

#include "engine/ExitCodes.h"
#include "platform/Encoding.h"
#include "ui/Switches.h"

namespace sk::cli {

std::string SetupSwitchesHelpUtf8() {
  std::string text;
  for (char c : GbkToUtf8(SetupSwitchesHelp()))
    if (c != '\r') text += c;
  text += "\n\nExit codes of Setup.exe and Uninst.exe started with switches:\n";
  for (const exit_code::Row& row : exit_code::kTable) {
    const std::string code = std::to_string(row.code);
    text += "  " + code + std::string(6 - code.size(), ' ') + row.meaning + "\n";
  }
  text += "Started without arguments they return 0, 1 (uninstall declined) or 2 (an error).\n";
  return text;
}

}  // namespace sk::cli
