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

namespace switch_text {
inline constexpr char kNotOffered[] =  // 安装包不提供此选项，或不允许更改它。
    "\xB0\xB2\xD7\xB0\xB0\xFC\xB2\xBB\xCC\xE1\xB9\xA9\xB4\xCB\xD1\xA1\xCF\xEE\xA3\xAC\xBB\xF2\xB2"
    "\xBB\xD4\xCA\xD0\xED\xB8\xFC\xB8\xC4\xCB\xFC\xA1\xA3";
inline constexpr char kNoSuchComponent[] =  // 安装包中没有此组件：
    "\xB0\xB2\xD7\xB0\xB0\xFC\xD6\xD0\xC3\xBB\xD3\xD0\xB4\xCB\xD7\xE9\xBC\xFE\xA3\xBA";
inline constexpr char kUnrepresentable[] =  // 命令行含有安装程序无法表示的字符。
    "\xC3\xFC\xC1\xEE\xD0\xD0\xBA\xAC\xD3\xD0\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xCE\xDE\xB7\xA8\xB1"
    "\xED\xCA\xBE\xB5\xC4\xD7\xD6\xB7\xFB\xA1\xA3";
inline constexpr char kLogNotCreated[] =  // 无法创建日志文件。
    "\xCE\xDE\xB7\xA8\xB4\xB4\xBD\xA8\xC8\xD5\xD6\xBE\xCE\xC4\xBC\xFE\xA1\xA3";
}  // namespace switch_text

}  // namespace sk
