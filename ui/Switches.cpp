#include "ui/Switches.h"

#include <cctype>
#include <cstring>

#include "package/Compile.h"

namespace sk {

namespace {

// GBK texts of the faults (ui/Ui.texts).
constexpr const char* kHead = switch_text::kBadSwitchHead;
constexpr const char* kEmpty = switch_text::kEmptyValue;
using switch_text::kNeedsValue;
using switch_text::kNotAbsolute;
using switch_text::kNoValue;
using switch_text::kSeeHelp;
using switch_text::kTaskBothWays;
using switch_text::kTwice;
constexpr const char* kUnknown = switch_text::kUnknownSwitch;
using switch_text::kUnknownTask;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsLeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

std::string UpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// "/D=" or "-D=" at `pos`, any case.
bool StartsInstallDir(const std::string& text, size_t pos) {
  return text.size() - pos >= 3 && (text[pos] == '/' || text[pos] == '-') &&
         (text[pos + 1] == 'D' || text[pos + 1] == 'd') && text[pos + 2] == '=';
}

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The words of a tail: quoted runs join blanks; "/D=" takes the rest of the line.
std::vector<std::string> SplitWords(const std::string& tail) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < tail.size()) {
    while (i < tail.size() && IsBlank(tail[i])) ++i;
    if (i >= tail.size()) break;
    if (StartsInstallDir(tail, i)) {
      words.push_back(TrimBlanks(tail.substr(i)));
      break;
    }
    std::string word;
    bool quoted = false;
    for (; i < tail.size() && (quoted || !IsBlank(tail[i])); ++i) {
      if (tail[i] == '"')
        quoted = !quoted;
      else
        word += tail[i];
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::vector<std::string> SplitList(const std::string& value) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string::npos) comma = value.size();
    std::string item = TrimBlanks(value.substr(start, comma - start));
    if (!item.empty()) items.push_back(std::move(item));
    start = comma + 1;
  }
  return items;
}

struct SwitchRule {
  const char* name;
  bool takesValue;
};
constexpr SwitchRule kSwitches[] = {
    {"?", false},         {"S", false},    {"NOSTARTMENU", false}, {"D", true},
    {"COMPONENTS", true}, {"TASKS", true}, {"GROUP", true},        {"LOG", true},
};

// The switches Uninst.exe knows.
bool UninstallerSwitch(const std::string& name) {
  return name == "?" || name == "S" || name == "LOG";
}

class Parser {
 public:
  Parser(SetupSwitches& out, bool (*known)(const std::string&)) : out_(out), known_(known) {}

  void Word(const std::string& word) {
    out_.any = true;
    if (word.size() < 2 || (word[0] != '/' && word[0] != '-')) return Fault(word, kUnknown);
    const size_t eq = word.find('=');
    const std::string name = UpperAscii(word.substr(1, eq == std::string::npos ? eq : eq - 1));
    const SwitchRule* rule = nullptr;
    for (const SwitchRule& s : kSwitches)
      if (name == s.name) rule = &s;
    if (!rule || (known_ && !known_(name))) return Fault(word, kUnknown);
    if (rule->takesValue && eq == std::string::npos) return Fault(word, kNeedsValue);
    if (!rule->takesValue && eq != std::string::npos) return Fault(word, kNoValue);
    if (!out_.spelled.emplace(name, word).second) return Fault(word, kTwice);
    const std::string value = eq == std::string::npos ? std::string() : word.substr(eq + 1);
    Apply(name, word, value);
  }

 private:
  void Apply(const std::string& name, const std::string& word, const std::string& value) {
    if (name == "?") out_.help = true;
    if (name == "S") out_.silent = true;
    if (name == "NOSTARTMENU") out_.noStartMenu = true;
    if (name == "COMPONENTS") out_.components = SplitList(value);
    if (name == "TASKS") Tasks(word, value);
    if (name == "GROUP" || name == "LOG") {
      if (TrimBlanks(value).empty()) return Fault(word, kEmpty);
      (name == "GROUP" ? out_.group : out_.logFile) = value;
    }
    if (name == "D") {
      if (!IsAbsoluteFolder(value)) return Fault(word, kNotAbsolute);
      out_.installDir =
          value.size() > 3 && value.back() == '\\' ? StripTrailingBackslash(value) : value;
    }
  }

  void Tasks(const std::string& word, const std::string& value) {
    for (const std::string& item : SplitList(value)) {
      const bool clear = item[0] == '!';
      const std::string task = LowerAscii(TrimBlanks(item.substr(clear ? 1 : 0)));
      std::optional<bool>* target = task == "desktop"       ? &out_.desktop
                                    : task == "quicklaunch" ? &out_.quickLaunch
                                                            : nullptr;
      if (!target) return Fault(word, kUnknownTask);
      if (target->has_value() && **target == clear) return Fault(word, kTaskBothWays);
      *target = !clear;
    }
  }

  void Fault(const std::string& word, const char* reason) {
    if (out_.error.empty()) out_.error = BadSwitchMessage(word, reason);
  }

  SetupSwitches& out_;
  bool (*known_)(const std::string&);  // null: every switch
};

}  // namespace

std::string CommandLineTail(const std::string& commandLine) {
  size_t i = 0;
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  if (i < commandLine.size() && commandLine[i] == '"') {
    const size_t close = commandLine.find('"', i + 1);
    i = close == std::string::npos ? commandLine.size() : close + 1;
  }
  while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  return commandLine.substr(i);
}

std::string JoinSwitchWords(const std::vector<std::string>& words) {
  std::string tail;
  for (const std::string& word : words) {
    if (!tail.empty()) tail += ' ';
    const bool blanks = word.find_first_of(" \t") != std::string::npos;
    if (blanks && !StartsInstallDir(word, 0))
      tail += '"' + word + '"';
    else
      tail += word;
  }
  return tail;
}

SetupSwitches ParseSetupSwitches(const std::string& tail) {
  SetupSwitches out;
  Parser parser(out, nullptr);
  for (const std::string& word : SplitWords(tail)) parser.Word(word);
  return out;
}

SetupSwitches ParseUninstallSwitches(const std::string& tail) {
  SetupSwitches out;
  Parser parser(out, UninstallerSwitch);
  // No /D= here: every word is split at blanks.
  for (const std::string& word : SplitWords(tail)) parser.Word(word);
  return out;
}

bool IsAbsoluteFolder(const std::string& path) {
  size_t start = 0;
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      path[2] == '\\') {
    start = 3;
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    start = 2;  // \\server\share: the server and share are elements like any other
    const size_t share = path.find('\\', 2);
    if (share == std::string::npos || share == 2 || share + 1 >= path.size()) return false;
  } else {
    return false;
  }
  std::string element;
  size_t elements = 0;
  auto elementOk = [&element] {
    return element != "." && element != ".." && !IsDeviceName(element);
  };
  for (size_t i = start; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c) && i + 1 < path.size()) {
      element += path.substr(i, 2);
      ++i;
      continue;
    }
    if (c < 0x20 || std::strchr("<>:\"/|?*", c)) return false;
    if (c == '\\') {
      if (element.empty() && i + 1 < path.size()) return false;  // "\\" inside the path
      if (!elementOk()) return false;
      element.clear();
      ++elements;
      continue;
    }
    element += static_cast<char>(c);
  }
  if (!element.empty()) {
    if (!elementOk()) return false;
    ++elements;
  }
  return elements > 0;  // a drive root is no install folder: nothing could remove the product
}

std::string BadSwitchMessage(const std::string& word, const std::string& reason) {
  return std::string(kHead) + word + "\r\n" + reason + "\r\n" + kSeeHelp;
}

std::string SetupSwitchesHelp() {
  return switch_text::kSetupHelp;
}

std::string UninstallSwitchesHelp() {
  return switch_text::kUninstallHelp;
}

}  // namespace sk
