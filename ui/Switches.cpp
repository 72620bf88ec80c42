#include "ui/Switches.h"

#include <cctype>
#include <cstring>

#include "package/Compile.h"

namespace sk {

namespace {

// GBK texts of the faults.
const char kHead[] =  // 命令行参数无效：
    "\xC3\xFC\xC1\xEE\xD0\xD0\xB2\xCE\xCA\xFD\xCE\xDE\xD0\xA7\xA3\xBA";
const char kUnknown[] = "\xCE\xB4\xD6\xAA\xB5\xC4\xB2\xCE\xCA\xFD\xA1\xA3";  // 未知的参数。
const char kNeedsValue[] =  // 此参数需要用“=”给出值。
    "\xB4\xCB\xB2\xCE\xCA\xFD\xD0\xE8\xD2\xAA\xD3\xC3\xA1\xB0=\xA1\xB1\xB8\xF8\xB3\xF6\xD6\xB5\xA1"
    "\xA3";
const char kNoValue[] =
    "\xB4\xCB\xB2\xCE\xCA\xFD\xB2\xBB\xB4\xF8\xD6\xB5\xA1\xA3";  // 此参数不带值。
const char kTwice[] =                                            // 此参数重复出现。
    "\xB4\xCB\xB2\xCE\xCA\xFD\xD6\xD8\xB8\xB4\xB3\xF6\xCF\xD6\xA1\xA3";
const char kEmpty[] = "\xD6\xB5\xB2\xBB\xC4\xDC\xCE\xAA\xBF\xD5\xA1\xA3";  // 值不能为空。
// 安装文件夹必须是完整路径，以盘符或 \\服务器\共享 开头（如 C:\Program Files\产品），且不含
// < > " | ? * 等字符。
const char kNotAbsolute[] =
    "\xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE\xBC\xD0\xB1\xD8\xD0\xEB\xCA\xC7\xCD\xEA\xD5\xFB\xC2\xB7\xBE"
    "\xB6\xA3\xAC\xD2\xD4\xC5\xCC\xB7\xFB\xBB\xF2 \\\\\xB7\xFE\xCE\xF1\xC6\xF7\\\xB9\xB2\xCF\xED "
    "\xBF\xAA\xCD\xB7\xA3\xA8\xC8\xE7 C:\\Program Files\\\xB2\xFA\xC6\xB7\xA3\xA9\xA3\xAC\xC7\xD2"
    "\xB2\xBB\xBA\xAC < > \" | ? * \xB5\xC8\xD7\xD6\xB7\xFB\xA1\xA3";
const char kUnknownTask[] =  // 未知的附加任务（可用：desktop、quicklaunch）。
    "\xCE\xB4\xD6\xAA\xB5\xC4\xB8\xBD\xBC\xD3\xC8\xCE\xCE\xF1\xA3\xA8\xBF\xC9\xD3\xC3\xA3\xBA"
    "desktop\xA1\xA2quicklaunch\xA3\xA9\xA1\xA3";
const char kTaskBothWays[] =  // 同一附加任务既被选中又被取消。
    "\xCD\xAC\xD2\xBB\xB8\xBD\xBC\xD3\xC8\xCE\xCE\xF1\xBC\xC8\xB1\xBB\xD1\xA1\xD6\xD0\xD3\xD6\xB1"
    "\xBB\xC8\xA1\xCF\xFB\xA1\xA3";
const char kSeeHelp[] =  // 使用 /? 查看可用的参数。
    "\xCA\xB9\xD3\xC3 /? \xB2\xE9\xBF\xB4\xBF\xC9\xD3\xC3\xB5\xC4\xB2\xCE\xCA\xFD\xA1\xA3";

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
  return
      // 用法：Setup.exe [/S] [/LOG=文件] [/COMPONENTS=组件,...] [/TASKS=任务,...] [/NOSTARTMENU]
      // [/GROUP=名称] [/D=文件夹]
      "\xD3\xC3\xB7\xA8\xA3\xBASetup.exe [/S] [/LOG=\xCE\xC4\xBC\xFE] [/COMPONENTS=\xD7\xE9\xBC\xFE"
      ",...] [/TASKS=\xC8\xCE\xCE\xF1,...] [/NOSTARTMENU] [/GROUP=\xC3\xFB\xB3\xC6] [/D=\xCE\xC4"
      "\xBC\xFE\xBC\xD0]\r\n\r\n"
      // /S　静默安装：不显示窗口，不提问，完成后不运行程序、不打开网页、不重启。
      "/S\xA1\xA1\xBE\xB2\xC4\xAC\xB0\xB2\xD7\xB0\xA3\xBA\xB2\xBB\xCF\xD4\xCA\xBE\xB4\xB0\xBF\xDA"
      "\xA3\xAC\xB2\xBB\xCC\xE1\xCE\xCA\xA3\xAC\xCD\xEA\xB3\xC9\xBA\xF3\xB2\xBB\xD4\xCB\xD0\xD0\xB3"
      "\xCC\xD0\xF2\xA1\xA2\xB2\xBB\xB4\xF2\xBF\xAA\xCD\xF8\xD2\xB3\xA1\xA2\xB2\xBB\xD6\xD8\xC6\xF4"
      "\xA1\xA3\r\n"
      // /D=文件夹　安装文件夹，须是最后一个参数，可含空格，无需引号。
      "/D=\xCE\xC4\xBC\xFE\xBC\xD0\xA1\xA1\xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE\xBC\xD0\xA3\xAC\xD0\xEB"
      "\xCA\xC7\xD7\xEE\xBA\xF3\xD2\xBB\xB8\xF6\xB2\xCE\xCA\xFD\xA3\xAC\xBF\xC9\xBA\xAC\xBF\xD5\xB8"
      "\xF1\xA3\xAC\xCE\xDE\xD0\xE8\xD2\xFD\xBA\xC5\xA1\xA3\r\n"
      // /COMPONENTS=a,b　只安装列出的组件；空值表示不安装任何组件。
      "/COMPONENTS=a,b\xA1\xA1\xD6\xBB\xB0\xB2\xD7\xB0\xC1\xD0\xB3\xF6\xB5\xC4\xD7\xE9\xBC\xFE\xA3"
      "\xBB\xBF\xD5\xD6\xB5\xB1\xED\xCA\xBE\xB2\xBB\xB0\xB2\xD7\xB0\xC8\xCE\xBA\xCE\xD7\xE9\xBC\xFE"
      "\xA1\xA3\r\n"
      // /TASKS=desktop,quicklaunch　选中附加任务；任务名前加“!”表示取消（如 !desktop）。
      "/TASKS=desktop,quicklaunch\xA1\xA1\xD1\xA1\xD6\xD0\xB8\xBD\xBC\xD3\xC8\xCE\xCE\xF1\xA3\xBB"
      "\xC8\xCE\xCE\xF1\xC3\xFB\xC7\xB0\xBC\xD3\xA1\xB0!"
      "\xA1\xB1\xB1\xED\xCA\xBE\xC8\xA1\xCF\xFB\xA3"
      "\xA8\xC8\xE7 !desktop\xA3\xA9\xA1\xA3\r\n"
      // /NOSTARTMENU　不创建开始菜单快捷方式。
      "/NOSTARTMENU\xA1\xA1\xB2\xBB\xB4\xB4\xBD\xA8\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5\xBF\xEC\xBD\xDD"
      "\xB7\xBD\xCA\xBD\xA1\xA3\r\n"
      // /GROUP=名称　开始菜单文件夹的名称。
      "/GROUP=\xC3\xFB\xB3\xC6\xA1\xA1\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5\xCE\xC4\xBC\xFE\xBC\xD0\xB5"
      "\xC4\xC3\xFB\xB3\xC6\xA1\xA3\r\n"
      // /LOG=文件　把安装过程写入日志文件（UTF-8）。
      "/LOG="
      "\xCE\xC4\xBC\xFE\xA1\xA1\xB0\xD1\xB0\xB2\xD7\xB0\xB9\xFD\xB3\xCC\xD0\xB4\xC8\xEB\xC8\xD5"
      "\xD6\xBE\xCE\xC4\xBC\xFE\xA3\xA8UTF-8\xA3\xA9\xA1\xA3\r\n"
      // /?　显示本说明。
      "/?\xA1\xA1\xCF\xD4\xCA\xBE\xB1\xBE\xCB\xB5\xC3\xF7\xA1\xA3\r\n\r\n"
      // 退出代码：0 成功；3010 成功，需要重启；1602 用户取消；1603 安装失败，已撤销；
      // 1620 安装文件已损坏；1639 参数无效，未做任何更改。
      "\xCD\xCB\xB3\xF6\xB4\xFA\xC2\xEB\xA3\xBA"
      "0 \xB3\xC9\xB9\xA6\xA3\xBB"
      "3010 \xB3\xC9\xB9\xA6\xA3\xAC\xD0\xE8\xD2\xAA\xD6\xD8\xC6\xF4\xA3\xBB"
      "1602 \xD3\xC3\xBB\xA7\xC8\xA1\xCF\xFB\xA3\xBB"
      "1603 \xB0\xB2\xD7\xB0\xCA\xA7\xB0\xDC\xA3\xAC\xD2\xD1\xB3\xB7\xCF\xFA\xA3\xBB"
      "1620 \xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE\xD2\xD1\xCB\xF0\xBB\xB5\xA3\xBB"
      "1639 \xB2\xCE\xCA\xFD\xCE\xDE\xD0\xA7\xA3\xAC\xCE\xB4\xD7\xF6\xC8\xCE\xBA\xCE\xB8\xFC\xB8"
      "\xC4\xA1\xA3";
}

std::string UninstallSwitchesHelp() {
  return
      // 用法：Uninst.exe [/S] [/LOG=文件]
      "\xD3\xC3\xB7\xA8\xA3\xBAUninst.exe [/S] [/LOG=\xCE\xC4\xBC\xFE]\r\n\r\n"
      // /S　静默卸载：不提问，不显示窗口和结果。
      "/S\xA1\xA1\xBE\xB2\xC4\xAC\xD0\xB6\xD4\xD8\xA3\xBA\xB2\xBB\xCC\xE1\xCE\xCA\xA3\xAC\xB2\xBB"
      "\xCF"
      "\xD4\xCA\xBE\xB4\xB0\xBF\xDA\xBA\xCD\xBD\xE1\xB9\xFB\xA1\xA3\r\n"
      // /LOG=文件　把卸载过程写入日志文件（UTF-8）。
      "/LOG="
      "\xCE\xC4\xBC\xFE\xA1\xA1\xB0\xD1\xD0\xB6\xD4\xD8\xB9\xFD\xB3\xCC\xD0\xB4\xC8\xEB\xC8\xD5"
      "\xD6\xBE\xCE\xC4\xBC\xFE\xA3\xA8UTF-8\xA3\xA9\xA1\xA3\r\n"
      "/?\xA1\xA1\xCF\xD4\xCA\xBE\xB1\xBE\xCB\xB5\xC3\xF7\xA1\xA3\r\n\r\n"
      // 退出代码：0 成功；1602 用户取消；1603 有项目无法删除；1620 卸载日志丢失、已损坏或不属于
      // 本产品；1639 参数无效，未做任何更改。
      "\xCD\xCB\xB3\xF6\xB4\xFA\xC2\xEB\xA3\xBA"
      "0 \xB3\xC9\xB9\xA6\xA3\xBB"
      "1602 \xD3\xC3\xBB\xA7\xC8\xA1\xCF\xFB\xA3\xBB"
      "1603 \xD3\xD0\xCF\xEE\xC4\xBF\xCE\xDE\xB7\xA8\xC9\xBE\xB3\xFD\xA3\xBB"
      "1620 "
      "\xD0\xB6\xD4\xD8\xC8\xD5\xD6\xBE\xB6\xAA\xCA\xA7\xA1\xA2\xD2\xD1\xCB\xF0\xBB\xB5\xBB\xF2"
      "\xB2\xBB\xCA\xF4\xD3\xDA\xB1\xBE\xB2\xFA\xC6\xB7\xA3\xBB"
      "1639 \xB2\xCE\xCA\xFD\xCE\xDE\xD0\xA7\xA3\xAC\xCE\xB4\xD7\xF6\xC8\xCE\xBA\xCE\xB8\xFC\xB8"
      "\xC4\xA1\xA3";
}

}  // namespace sk
