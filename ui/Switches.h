// The command line of Setup.exe as a value: a portable parser (no Win32) shared by Setup.exe and
// `setupkit simulate PACKAGE -- SWITCHES`.
//
// Switches are case-insensitive and start with "/" or "-": /S, /D=FOLDER, /COMPONENTS=a,b,
// /TASKS=desktop,!quicklaunch, /NOSTARTMENU, /GROUP=NAME, /LOG=FILE, /?. Words are separated by
// blanks; double quotes group blanks into a word and are removed. /D= takes the rest of the line
// as it stands (blanks included, no quotes needed), so it is the last switch. The input is the
// text after the program's name (CommandLineTail), GBK.
//
// The parser never throws: the first fault is kept in `error` (a GBK message naming the word and
// what is wrong with it) and parsing goes on, so that /S and /LOG are known even on a bad line
// (a silent run then reports the fault in its log and exit code instead of a box). Choices the
// package does not offer are checked later, against the package (ui/SwitchChoices.h).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/Ui.texts.h"

namespace sk {

struct SetupSwitches {
  bool any = false;                                    // at least one word was given
  bool help = false;                                   // /?
  bool silent = false;                                 // /S
  std::optional<std::string> installDir;               // /D= (one trailing "\" removed)
  std::optional<std::vector<std::string>> components;  // /COMPONENTS= (empty: none)
  std::optional<bool> desktop, quickLaunch;            // /TASKS=
  bool noStartMenu = false;                            // /NOSTARTMENU
  std::optional<std::string> group;                    // /GROUP=
  std::optional<std::string> logFile;                  // /LOG=
  // Canonical switch name ("D", "COMPONENTS", ...) -> the word as the user wrote it.
  std::map<std::string, std::string> spelled;
  std::string error;  // the first fault (GBK); empty when the line is valid

  bool Valid() const { return error.empty(); }
};

// The text after the program name of a whole command line (as GetCommandLine returns it): the
// name is a quoted run or the text up to the first blank; leading blanks of the rest are dropped.
std::string CommandLineTail(const std::string& commandLine);
// Words given one by one (`setupkit simulate ... -- WORDS`) as a command-line tail: words with
// blanks are quoted, except /D=, which is taken as it stands.
std::string JoinSwitchWords(const std::vector<std::string>& words);

SetupSwitches ParseSetupSwitches(const std::string& tail);
// Uninst.exe's command line: only /S, /LOG= and /? (any other switch is unknown).
SetupSwitches ParseUninstallSwitches(const std::string& tail);

// True for "X:\..." and "\\server\share..." without characters Windows refuses in a path, "."
// or ".." elements, empty elements or device names. GBK aware (trail bytes are not characters).
bool IsAbsoluteFolder(const std::string& path);

// "命令行参数无效：WORD" + line break + reason + the hint to /? (GBK).
std::string BadSwitchMessage(const std::string& word, const std::string& reason);
// The text of the /? box (GBK): usage, one line per switch, the exit codes.
std::string SetupSwitchesHelp();
std::string UninstallSwitchesHelp();

// The command line's fault texts (namespace switch_text) are in ui/Ui.texts.

}  // namespace sk
