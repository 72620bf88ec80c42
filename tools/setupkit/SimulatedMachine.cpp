#include "tools/setupkit/SimulatedMachine.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <limits>
#include <stdexcept>

#include "engine/Texts.h"
#include "package/Compile.h"
#include "platform/Encoding.h"
#include "platform/SystemHelpers.h"

namespace sk::cli {

namespace {

// Windows time zones run from UTC-12:00 to UTC+14:00.
constexpr int kMinUtcOffset = -12 * 60;
constexpr int kMaxUtcOffset = 14 * 60;

[[noreturn]] void Refuse(const std::string& message) {
  throw std::invalid_argument(message);
}

// "500G", "1048576", "2T": bytes with an optional binary suffix.
int64_t ParseFreeSpace(const std::string& text, const std::string& option) {
  size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  const std::string suffix = text.substr(digits);
  int shift = 0;
  if (suffix.empty())
    shift = 0;
  else if (suffix == "K" || suffix == "k")
    shift = 10;
  else if (suffix == "M" || suffix == "m")
    shift = 20;
  else if (suffix == "G" || suffix == "g")
    shift = 30;
  else if (suffix == "T" || suffix == "t")
    shift = 40;
  else
    digits = 0;
  if (digits == 0 || digits > 18)
    Refuse("invalid free space in " + option + " (bytes, or a number with K, M, G or T)");
  const int64_t number = std::stoll(text.substr(0, digits));
  if (number > (std::numeric_limits<int64_t>::max() >> shift))
    Refuse("free space in " + option + " is too large");
  return number << shift;
}

// A folder given on the command line as the GBK path the machine uses: "X:\..." on one of its
// drives, drive letter upper-cased, no trailing backslash.
std::string MachineFolder(const std::string& utf8, const std::string& option,
                          const SandboxConfig& config) {
  std::optional<std::string> gbk = Utf8ToGbk(utf8);
  if (!gbk) Refuse(option + " has no GBK form: " + utf8);
  std::string path = *gbk;
  for (char& c : path)
    if (c == '/') c = '\\';
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  if (path.size() < 4 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
      path[2] != '\\')
    Refuse(option + " must be an absolute folder below a drive (like D:\\Apps): " + utf8);
  path[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  if (!config.drives.count(path[0]))
    Refuse(option + " is on drive " + path.substr(0, 2) + ", which the machine does not have " +
           "(add --drive " + path.substr(0, 1) + ")");
  return path;
}

}  // namespace

void AddMachineOptions(CLI::App& app, MachineOptions& options) {
  app.add_option("--drive", options.drives,
                 "another fixed drive, or the free space of one (repeatable; FREE in bytes or "
                 "with K, M, G, T; default 500G)")
      ->allow_extra_args(false)
      ->type_name("LETTER[=FREE]");
  app.add_option("--program-files", options.programFiles,
                 "program files folder (default C:\\Program Files)")
      ->type_name("DIR");
  app.add_option("--windows-dir", options.windowsDir, "Windows folder (default C:\\Windows)")
      ->type_name("DIR");
  app.add_option("--utc-offset", options.utcOffsetMinutes,
                 "local time minus UTC in minutes, e.g. 480 (default 0)")
      ->type_name("MINUTES");
}

void ApplyMachineOptions(const MachineOptions& options, SandboxConfig& config) {
  const int64_t defaultFree = config.drives.count('C') ? config.drives.at('C') : int64_t{500} << 30;
  for (const std::string& text : options.drives) {
    const std::string option = "--drive " + text;
    const size_t eq = text.find('=');
    const std::string letter = text.substr(0, eq);
    if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0])))
      Refuse(option + ": the drive must be one letter A-Z");
    const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));
    config.drives[drive] =
        eq == std::string::npos ? defaultFree : ParseFreeSpace(text.substr(eq + 1), option);
  }
  if (!options.programFiles.empty())
    config.programFiles = MachineFolder(options.programFiles, "--program-files", config);
  if (!options.windowsDir.empty())
    config.windowsDir = MachineFolder(options.windowsDir, "--windows-dir", config);
  if (options.utcOffsetMinutes < kMinUtcOffset || options.utcOffsetMinutes > kMaxUtcOffset)
    Refuse("--utc-offset must lie between " + std::to_string(kMinUtcOffset) + " and " +
           std::to_string(kMaxUtcOffset) + " minutes");
  config.utcOffsetMinutes = options.utcOffsetMinutes;
}

void PrepareFreshProfile(Platform& machine) {
  const std::string appData = GetSpecialFolder(machine, csidl::AppData);
  const std::string folders[] = {
      appData.empty() ? std::string() : appData + engine_text::kQuickLaunchSubPath,
      GetWindowsFolder(machine) + "\\System32",
      GetProgramFilesFolder(machine) + "\\Common Files",
  };
  for (const std::string& folder : folders)
    if (!folder.empty() && !machine.ForceDirectories(folder))
      throw Error("cannot create " + folder + " on the machine");
}

}  // namespace sk::cli
