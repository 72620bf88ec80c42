// Shared plumbing of the CLI commands: argument parsing with CLI11 (help on every command),
// the one error line "setupkit: error: <reason>" and UTF-8 text output.
//
// Messages of sk::Error are GBK and are converted to UTF-8 before they are printed; every other
// text the CLI prints is UTF-8 already.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace sk::cli {

constexpr int kExitOk = 0;
constexpr int kExitFault = 1;
constexpr int kExitError = 2;

// Parses `args` (the words after the command name). Returns an exit code when the command must
// end now: 0 after printing help, 2 after printing a usage error; std::nullopt to go on.
std::optional<int> ParseCommandLine(CLI::App& app, const std::vector<std::string>& args);

// Prints "setupkit: error: <utf8Reason>" to stderr and returns kExitError.
int ReportError(const std::string& utf8Reason);
// The same for a GBK reason (an sk::Error message), its line breaks kept (PrintableLines).
int ReportGbkError(const std::string& gbkReason);

// Runs `body`, turning an escaping sk::Error or std::exception into the error line and exit 2.
template <typename F>
int Guarded(F&& body);

// Text from a package for the terminal: control characters (0x00-0x1F, 0x7F and U+0080-U+009F)
// are shown as \xNN / \uNNNN, so names cannot move the cursor, ring the bell or send escape
// sequences. Printable converts GBK to UTF-8 first.
std::string EscapeControls(const std::string& utf8);
std::string Printable(const std::string& gbk);
// The same for a message of several lines (an sk::Error that lists items or adds the system's
// reason): its line breaks ("\r\n" or "\n") stay line breaks, every other control is escaped.
std::string PrintableLines(const std::string& gbk);

// "1.50 MB" style size for summaries (binary units).
std::string HumanSize(int64_t bytes);

}  // namespace sk::cli

#include <exception>

#include "platform/Error.h"

namespace sk::cli {
template <typename F>
int Guarded(F&& body) {
  try {
    return body();
  } catch (const Error& e) {
    return ReportGbkError(e.what());
  } catch (const std::exception& e) {
    return ReportError(e.what());
  }
}
}  // namespace sk::cli
