// The text of Setup.exe's /? box for the terminal (`setupkit help setup-switches` and
// `setupkit simulate FILE -- /?`): the same GBK text in UTF-8 with LF line ends, followed by the
// exit-code table of engine/ExitCodes.h in English.
#pragma once

#include <string>

namespace sk::cli {

std::string SetupSwitchesHelpUtf8();

}  // namespace sk::cli
