// Reads a build manifest (see Manifest.h and docs/manifest.md): one reader per manifest section,
// on top of the typed TOML access of TomlAccess.h and the notation of PackageNotation.h.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <map>
#include <set>
#include <sstream>

#include "platform/Encoding.h"
#include "tools/setupkit/DayCount.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/Manifest.h"
#include "tools/setupkit/PackageNotation.h"
#include "tools/setupkit/SourceWalk.h"
#include "tools/setupkit/TomlAccess.h"
#include "ui/PageTable.h"

namespace sk::cli {

namespace fs = std::filesystem;

std::string WindowsSourcePath(const fs::path& absolute) {
  std::string s = HostPathText(absolute);
#ifdef _WIN32
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
#else
  std::replace(s.begin(), s.end(), '/', '\\');
  return "Z:" + s;
#endif
}

double FileDayCount(const fs::path& file) {
  auto ft = fs::last_write_time(file);
  auto sys = std::chrono::file_clock::to_sys(ft);
  return DayCountFromTime(std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys)));
}

namespace {

enum class V { Text, Switch, PageFile, Packaged };

// A manifest key and the setting it writes.
struct Field {
  const char* key;
  const SettingName& setting;
  V type;
  const char* def = nullptr;  // default when absent: "1"/"0" for switches, "$name", "$dir"
};

// A manifest table: the general settings ([setup]) or one wizard page.
struct Section {
  const char* key;          // TOML table
  const SettingName* page;  // its switch in the page list; nullptr for [setup]
  int group;
  bool shownByDefault;
  std::vector<Field> fields;
};

// A page's table: its key, its switch in the page list and its group come from the page table.
Section PageSection(PageId id, bool shownByDefault, std::vector<Field> fields) {
  const PageRow& row = RowOf(id);
  return {row.ManifestKey, &row.ListSwitch, row.Group, shownByDefault, std::move(fields)};
}

const std::vector<Section>& Sections() {
  using namespace setting;
  static const std::vector<Section> s = {
      {"setup",
       nullptr,
       kGeneral,
       false,
       {{"wizard", kShowWizard, V::Switch, "1"},
        {"loading_window", kShowLoading, V::Switch, "0"},
        {"background_window", kShowBackground, V::Switch, "0"},
        {"background_picture", kBackgroundPicture, V::PageFile},
        {"music", kMusic, V::PageFile},
        {"message_before", kBeforeHintMsg, V::Text},
        {"message_after", kHintMsg, V::Text},
        {"web_page_after", kWebHint, V::Text},
        {"browser_start_page", kDefaultHtml, V::Text},
        {"reboot", kRebootOs, V::Switch}}},
      PageSection(PageId::Welcome, false,
                  {{"picture", kWelcomePicture, V::PageFile},
                   {"company", kWelcomeCompany, V::Text},
                   {"website", kWelcomeWebsite, V::Text}}),
      PageSection(PageId::Agreement, false,
                  {{"header_picture", kAgreementHeader, V::PageFile},
                   {"file", kAgreementFile, V::PageFile}}),
      PageSection(
          PageId::Notes, false,
          {{"header_picture", kNotesHeader, V::PageFile}, {"file", kNotesFile, V::PageFile}}),
      PageSection(PageId::StartMenu, false,
                  {{"header_picture", kStartMenuHeader, V::PageFile},
                   {"folder", kStartMenuFolder, V::Text, "$name"},
                   {"allow_change", kStartMenuAllowChange, V::Switch, "1"},
                   {"show_option", kStartMenuShowOption, V::Switch, "1"}}),
      PageSection(PageId::Components, false, {{"header_picture", kComponentsHeader, V::PageFile}}),
      PageSection(PageId::InstallFolder, false,
                  {{"header_picture", kInstallFolderHeader, V::PageFile},
                   {"path", kDefaultInstallDir, V::Text, "$dir"},
                   {"allow_change", kInstallFolderAllowChange, V::Switch, "1"},
                   {"search_keywords", kSearchKeywords, V::Text}}),
      PageSection(PageId::Tasks, false,
                  {{"header_picture", kTasksHeader, V::PageFile},
                   {"desktop_shortcut", kCreateDesktop, V::Switch},
                   {"quick_launch_shortcut", kCreateQuickLaunch, V::Switch}}),
      PageSection(PageId::Ready, false, {{"header_picture", kReadyHeader, V::PageFile}}),
      PageSection(
          PageId::Progress, true,
          {{"header_picture", kProgressHeader, V::PageFile}, {"details", kShowDetails, V::Switch}}),
      PageSection(PageId::Finish, true,
                  {{"picture", kFinishPicture, V::PageFile},
                   {"run", kAppFile, V::Packaged},
                   {"readme", kReadmeFile, V::Packaged},
                   {"home_page", kHomePageUrl, V::Text}}),
  };
  return s;
}

struct Pending {
  TCompileFileData rec;
  fs::path host;
  int64_t size = 0;
  bool data = true;
};

class Parser : public TomlReader {
 public:
  Parser(const fs::path& file, std::string display, const SourceOptions& options)
      : TomlReader(display),
        file_(fs::absolute(file).lexically_normal()),
        base_(file_.parent_path()),
        options_(options) {}

  BuildPlan Run();

 private:
  std::string G(const std::string& utf8, int64_t line, const std::string& what) const {
    return Gbk(utf8, line, what);
  }
  static std::string G(const char* known) { return *Utf8ToGbk(known); }

  // ---- paths ----
  fs::path HostFile(const std::string& utf8, int64_t line) const {
    std::string norm = utf8;
    std::replace(norm.begin(), norm.end(), '\\', '/');
    fs::path p = fs::absolute(base_ / HostPath(norm)).lexically_normal();
    if (std::string problem = FileProblem(p, p.parent_path(), options_); !problem.empty())
      Fail(line, problem);
    return p;
  }
  std::string SourcePathOf(const fs::path& p, int64_t line) const {
    return G(WindowsSourcePath(p), line, "the path " + HostPathText(p));
  }
  std::string TargetNotation(const std::string& utf8, int64_t line, bool forFolderItem) const;
  std::string KeyNotation(const std::string& utf8, int64_t line) const;
  std::string ShortcutFolder(const toml::table& t, const std::string& where) const;

  // ---- items ----
  TCompileFileData DataItem(const fs::path& host, int64_t line, uint8_t kind) const {
    TCompileFileData r;
    r.SourcePath = SourcePathOf(host, line);
    r.Kind = kind;
    r.FileTime = FileDayCount(host);
    r.UncompressedSize = static_cast<int64_t>(fs::file_size(host));
    return r;
  }
  std::string PageFile(const std::string& utf8, int64_t line);
  std::string Packaged(const std::string& utf8, int64_t line, const std::string& what) const;

  void ReadProduct();
  void ReadFiles();
  void ReadFolders();
  void ReadComponents();
  void ReadUninstaller();
  void ReadSettings();
  void ReadRegistry();
  void ReadShortcuts();
  void AddSetting(int group, const std::string& gbkName, const std::string& gbkValue) {
    settings_.push_back({gbkName, gbkValue, static_cast<uint8_t>(group)});
  }

  fs::path file_;
  fs::path base_;
  SourceOptions options_;

  std::string serial_, itemName_, itemNameUtf8_, version_, author_, url_;
  std::vector<TCompileData> settings_;
  std::vector<Pending> files_, folders_, regFiles_, compFiles_, pageFiles_, uninstallers_;
  StringList fileFolders_, regFolders_, shortcutFolders_;
  std::vector<TRegInfoData> regs_;
  std::vector<TShotCutData> shortcuts_;
  std::vector<TCompileCompData> comps_;
  std::map<std::string, std::string> packaged_;    // host path → SourcePath of a Kind-0 item
  std::map<std::string, std::string> pageByHost_;  // host path → SourcePath of a Kind-4 item
  std::string uninstallSwitch_;                    // value of "卸载程序", empty when absent
};

std::string Parser::TargetNotation(const std::string& utf8, int64_t line,
                                   bool forFolderItem) const {
  try {
    return G(cli::TargetNotation(utf8, forFolderItem), line, "the target");
  } catch (const std::invalid_argument& e) {
    Fail(line, e.what());
  }
}

std::string Parser::KeyNotation(const std::string& utf8, int64_t line) const {
  try {
    return G(cli::KeyNotation(utf8), line, "the registry key");
  } catch (const std::invalid_argument& e) {
    Fail(line, e.what());
  }
}

std::string Parser::PageFile(const std::string& utf8, int64_t line) {
  fs::path host = HostFile(utf8, line);
  std::string key = HostPathText(host);
  auto it = pageByHost_.find(key);
  if (it != pageByHost_.end()) return it->second;
  Pending p{DataItem(host, line, kind::PageFile), host, static_cast<int64_t>(fs::file_size(host))};
  pageByHost_[key] = p.rec.SourcePath;
  pageFiles_.push_back(std::move(p));
  return pageByHost_[key];
}

std::string Parser::Packaged(const std::string& utf8, int64_t line, const std::string& what) const {
  std::string norm = utf8;
  std::replace(norm.begin(), norm.end(), '\\', '/');
  fs::path p = fs::absolute(base_ / HostPath(norm)).lexically_normal();
  auto it = packaged_.find(HostPathText(p));
  if (it == packaged_.end())
    Fail(line, what + " '" + utf8 + "' is not a packaged file (list it in a [[file]] entry)");
  return it->second;
}

void Parser::ReadProduct() {
  const toml::table* t = Table("product");
  if (!t) Fail(1, "the manifest needs a [product] table with 'id' and 'name'");
  Keys(*t, {"id", "name", "version", "author", "url"}, "[product]");
  std::string id = ReqStr(*t, "id", "[product]");
  bool ok = id.size() == 36;
  for (size_t i = 0; ok && i < id.size(); ++i) {
    bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    ok = dash ? id[i] == '-' : std::isxdigit(static_cast<unsigned char>(id[i])) != 0;
  }
  if (!ok)
    Fail(LineOf(*t, "id"),
         "product id '" + id + "' must be a GUID in the form XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX");
  serial_ = id;
  itemNameUtf8_ = ReqStr(*t, "name", "[product]");
  itemName_ = G(itemNameUtf8_, LineOf(*t, "name"), "the product name");
  AddSetting(setting::kGeneral, setting::kItemName.name, itemName_);
  const std::pair<const char*, const SettingName*> more[] = {
      {"version", &setting::kVersion}, {"author", &setting::kAuthor}, {"url", &setting::kUrl}};
  for (auto [key, name] : more)
    if (auto v = Str(*t, key))
      AddSetting(setting::kGeneral, name->name, G(*v, LineOf(*t, key), key));
}

// Seven attribute switches of a file item, in record order.
constexpr const char* kAttributes[] = {"run_at_startup",  "keep_on_uninstall", "no_overwrite",
                                       "register_server", "install_service",   "run_after_install",
                                       "patch_file"};

void Parser::ReadFiles() {
  for (const toml::table* t : Tables("file")) {
    Keys(*t,
         {"source", "target", "recursive", "exclude", "run_at_startup", "keep_on_uninstall",
          "no_overwrite", "register_server", "install_service", "run_after_install", "patch_file",
          "target_os", "reserved_flag", "file_time"},
         "[[file]]");
    std::string source = ReqStr(*t, "source", "[[file]]");
    int64_t line = LineOf(*t, "source");
    std::string target = Str(*t, "target").value_or("{app}");
    int64_t targetLine = LineOf(*t, "target");
    std::string targetDir = TargetNotation(target, targetLine, false);
    std::vector<FoundFile> found;
    try {
      found = ExpandSource(base_, source, Bool(*t, "recursive").value_or(true),
                           StrList(*t, "exclude"), options_);
    } catch (const fs::filesystem_error& e) {
      Fail(line, e.what());
    } catch (const std::runtime_error& e) {
      Fail(line, e.what());
    }
    uint8_t attrs[7] = {};
    for (int i = 0; i < 7; ++i) attrs[i] = Bool(*t, kAttributes[i]).value_or(false) ? 1 : 0;
    std::string os = G(Str(*t, "target_os").value_or(""), LineOf(*t, "target_os"), "target_os");
    auto reserved = Int(*t, "reserved_flag", 0, 255);
    std::optional<double> fileTime;
    if (const toml::node* n = t->get("file_time")) {
      if (!n->is_number()) Fail(Line(*n), "'file_time' must be a number (days since 1899-12-30)");
      fileTime = n->value<double>();
    }
    for (const auto& f : found) {
      Pending p{DataItem(f.path, line, kind::File), f.path, f.size};
      TCompileFileData& r = p.rec;
      std::string sub;
      auto slash = f.rel.find_last_of('/');
      if (slash != std::string::npos) sub = f.rel.substr(0, slash);
      std::replace(sub.begin(), sub.end(), '/', '\\');
      r.TargetDir = targetDir;
      if (!sub.empty()) {
        if (!r.TargetDir.empty() && r.TargetDir.back() != '\\') r.TargetDir += '\\';
        r.TargetDir += G(sub, line, "the folder " + sub);
      }
      r.RunAtStartup = attrs[0];
      r.KeepOnUninstall = attrs[1];
      r.NoOverwrite = attrs[2];
      r.RegisterServer = attrs[3];
      r.InstallService = attrs[4];
      r.RunAfterInstall = attrs[5];
      r.PatchFile = attrs[6];
      r.TargetOs = os;
      r.ReservedFlag = static_cast<uint8_t>(reserved.value_or(0));
      if (fileTime) r.FileTime = *fileTime;
      r.UncompressedSize = f.size;
      packaged_.emplace(HostPathText(f.path), r.SourcePath);
      bool known = std::any_of(fileFolders_.begin(), fileFolders_.end(),
                               [&](const std::string& d) { return SameTextAscii(d, r.TargetDir); });
      if (!known) fileFolders_.push_back(r.TargetDir);
      files_.push_back(std::move(p));
    }
  }
}

void Parser::ReadFolders() {
  for (const toml::table* t : Tables("folder")) {
    Keys(*t, {"target", "target_os"}, "[[folder]]");
    std::string target = ReqStr(*t, "target", "[[folder]]");
    int64_t line = LineOf(*t, "target");
    std::string full = TargetNotation(target, line, true);
    auto cut = full.find_last_of('\\');
    if (cut == std::string::npos || cut + 1 == full.size())
      Fail(line, "[[folder]] target '" + target +
                     "' must name a folder below {app}, {windows} or a drive");
    Pending p;
    p.data = false;
    p.rec.Kind = kind::Folder;
    p.rec.TargetDir = full.substr(0, cut);
    p.rec.Name = full.substr(cut + 1);
    p.rec.TargetOs = G(Str(*t, "target_os").value_or(""), LineOf(*t, "target_os"), "target_os");
    folders_.push_back(std::move(p));
  }
  for (const toml::table* t : Tables("file_folder")) {
    Keys(*t, {"target"}, "[[file_folder]]");
    fileFolders_.push_back(
        TargetNotation(ReqStr(*t, "target", "[[file_folder]]"), LineOf(*t, "target"), false));
  }
}

void Parser::ReadComponents() {
  std::set<std::string> names;
  for (const toml::table* t : Tables("component")) {
    Keys(*t, {"name", "source", "size", "exclude"}, "[[component]]");
    std::string name = ReqStr(*t, "name", "[[component]]");
    int64_t line = LineOf(*t, "name");
    if (name.empty()) Fail(line, "a component needs a non-empty name");
    std::string gbkName = G(name, line, "the component name");
    if (!names.insert(LowerAscii(gbkName)).second)
      Fail(line, "component '" + name + "' is listed twice");
    std::string source = ReqStr(*t, "source", "[[component]]");
    int64_t srcLine = LineOf(*t, "source");
    fs::path dir = fs::absolute(base_ / HostPath(source)).lexically_normal();
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
      Fail(srcLine, "component source must be a folder: " + HostPathText(dir));
    std::vector<FoundFile> found;
    try {
      found = ExpandSource(base_, source, true, StrList(*t, "exclude"), options_);
    } catch (const std::runtime_error& e) {
      Fail(srcLine, e.what());
    }
    std::string folder = SourcePathOf(dir, srcLine);
    if (folder.back() != '\\') folder += '\\';
    int64_t total = 0;
    for (const auto& f : found) {
      Pending p{DataItem(f.path, srcLine, kind::CompFile), f.path, f.size};
      p.rec.Name = gbkName;
      p.rec.TargetDir = folder;
      p.rec.UncompressedSize = f.size;
      total += f.size;
      compFiles_.push_back(std::move(p));
    }
    comps_.push_back({gbkName, Int(*t, "size", 0, INT64_MAX).value_or(total)});
  }
}

void Parser::ReadUninstaller() {
  const toml::table* t = Table("uninstaller");
  // Without the section the product still gets an uninstaller (setupkit's own): otherwise it
  // could only be removed by hand. `enabled = false` is the way to go without one.
  uninstallSwitch_ = text::kEnabled;
  if (!t) return;
  Keys(*t, {"source", "enabled"}, "[uninstaller]");
  uninstallSwitch_ = Bool(*t, "enabled").value_or(true) ? text::kEnabled : text::kDisabled;
  // Without a source the build packs setupkit's own uninstaller.
  const std::optional<std::string> named = Str(*t, "source");
  if (!named) return;
  const std::string& source = *named;
  int64_t line = LineOf(*t, "source");
  fs::path host = HostFile(source, line);
  Pending p{DataItem(host, line, kind::Uninstaller), host,
            static_cast<int64_t>(fs::file_size(host))};
  p.rec.UncompressedSize = p.size;
  uninstallers_.push_back(std::move(p));
}

void Parser::ReadSettings() {
  std::vector<TCompileData> pageList, pages;
  for (const Section& sec : Sections()) {
    const toml::table* t = Table(sec.key);
    std::vector<std::string_view> allowed;
    if (sec.page) allowed.push_back("show");
    for (const Field& f : sec.fields) allowed.push_back(f.key);
    if (sec.key == std::string("setup")) allowed.push_back("patch");
    if (t) {
      for (auto&& [k, v] : *t)
        if (std::find(allowed.begin(), allowed.end(), k.str()) == allowed.end())
          Fail(Line(v), "unknown key '" + std::string(k.str()) + "' in [" + sec.key + "]");
    }
    auto& sink = sec.group == setting::kGeneral ? settings_ : pages;
    if (sec.page) {
      bool shown = t ? Bool(*t, "show").value_or(true) : sec.shownByDefault;
      pageList.push_back(
          {sec.page->name, shown ? text::kEnabled : text::kDisabled, setting::kPageList});
    }
    for (const Field& f : sec.fields) {
      const toml::node* n = t ? t->get(f.key) : nullptr;
      std::string value;
      if (n) {
        int64_t line = Line(*n);
        switch (f.type) {
          case V::Switch:
            if (n->is_boolean())
              value = n->as_boolean()->get() ? text::kEnabled : text::kDisabled;
            else if (n->is_string())
              value = G(n->as_string()->get(), line, f.key);
            else
              Fail(line, "'" + std::string(f.key) + "' must be true or false");
            break;
          case V::Text:
            value = G(*Str(*t, f.key), line, f.key);
            break;
          case V::PageFile:
            value = PageFile(*Str(*t, f.key), line);
            break;
          case V::Packaged:
            value = Packaged(*Str(*t, f.key), line, std::string("'") + f.key + "'");
            break;
        }
      } else if (f.def) {
        std::string d = f.def;
        if (d == "1" || d == "0")
          value = d == "1" ? text::kEnabled : text::kDisabled;
        else if (d == "$name")
          value = itemName_;
        else if (d == "$dir")
          value = G("[System ProgramFiles]\\") + itemName_;
      } else {
        continue;
      }
      sink.push_back({f.setting.name, value, static_cast<uint8_t>(sec.group)});
    }
    if (t && sec.key == std::string("setup")) {
      if (auto patch = Bool(*t, "patch"))
        settings_.push_back({setting::kPatch.name, *patch ? "True" : "False", setting::kGeneral});
    }
  }
  if (!uninstallSwitch_.empty())
    settings_.push_back({setting::kEnableUnIns.name, uninstallSwitch_, setting::kGeneral});
  settings_.insert(settings_.end(), pageList.begin(), pageList.end());
  settings_.insert(settings_.end(), pages.begin(), pages.end());

  for (const toml::table* t : Tables("setting")) {
    Keys(*t, {"group", "name", "value", "file", "packaged"}, "[[setting]]");
    int64_t line = LineOf(*t, "group");
    auto group = Int(*t, "group", INT64_MIN, INT64_MAX);
    if (!group) Fail(Line(*t), "[[setting]] needs 'group'");
    if (!setting::IsReadGroup(*group))
      Fail(line, "setting group " + std::to_string(*group) +
                     " does not exist (groups: 0 general, 1 page list, 2-3 and 5-12 pages)");
    std::string name = ReqStr(*t, "name", "[[setting]]");
    int sources =
        (t->get("value") ? 1 : 0) + (t->get("file") ? 1 : 0) + (t->get("packaged") ? 1 : 0);
    if (sources != 1)
      Fail(Line(*t), "[[setting]] needs exactly one of 'value', 'file' or 'packaged'");
    std::string value;
    if (const toml::node* n = t->get("value")) {
      if (n->is_boolean())
        value = n->as_boolean()->get() ? text::kEnabled : text::kDisabled;
      else if (n->is_string())
        value = G(n->as_string()->get(), Line(*n), "the value");
      else
        Fail(Line(*n), "'value' must be a string or true/false");
    } else if (t->get("file")) {
      value = PageFile(*Str(*t, "file"), LineOf(*t, "file"));
    } else {
      value = Packaged(*Str(*t, "packaged"), LineOf(*t, "packaged"), "'packaged'");
    }
    settings_.push_back(
        {G(name, LineOf(*t, "name"), "the setting name"), value, static_cast<uint8_t>(*group)});
  }
}

void Parser::ReadRegistry() {
  for (const toml::table* t : Tables("registry_key")) {
    Keys(*t, {"key"}, "[[registry_key]]");
    regFolders_.push_back(KeyNotation(ReqStr(*t, "key", "[[registry_key]]"), LineOf(*t, "key")));
  }
  for (const toml::table* t : Tables("registry")) {
    Keys(*t, {"key", "name", "type", "value", "target_os"}, "[[registry]]");
    TRegInfoData r;
    r.KeyPath = KeyNotation(ReqStr(*t, "key", "[[registry]]"), LineOf(*t, "key"));
    r.ValueName = G(Str(*t, "name").value_or(""), LineOf(*t, "name"), "the value name");
    r.TargetOs = G(Str(*t, "target_os").value_or(""), LineOf(*t, "target_os"), "target_os");
    std::string type = Str(*t, "type").value_or("string");
    int64_t typeLine = LineOf(*t, "type");
    const toml::node* v = t->get("value");
    int64_t vline = v ? Line(*v) : Line(*t);
    auto hex = [&](const std::string& s, bool pairs) {
      std::string h;
      for (char c : s) {
        if (c == ' ' || c == ',') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
          Fail(vline, "value '" + s + "' must be hexadecimal digits");
        h += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      }
      if (pairs && h.size() % 2)
        Fail(vline, "binary value '" + s + "' has an odd number of hex digits");
      return h;
    };
    if (type == "string") {
      r.ValueType = 0;
      if (v && !v->is_string()) Fail(vline, "a string value must be a string");
      r.ValueData = G(v ? v->as_string()->get() : "", vline, "the value");
    } else if (type == "dword") {
      r.ValueType = 1;
      if (v && v->is_integer()) {
        int64_t n = v->as_integer()->get();
        if (n < 0 || n > 0xFFFFFFFFll)
          Fail(vline, "a dword value must lie between 0 and 4294967295");
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08llX", static_cast<unsigned long long>(n));
        r.ValueData = buf;
      } else if (v && v->is_string()) {
        r.ValueData = hex(v->as_string()->get(), false);
        if (r.ValueData.size() > 8) Fail(vline, "a dword value has at most 8 hex digits");
      } else {
        Fail(vline, "a dword value must be an integer or a string of hex digits");
      }
    } else if (type == "binary") {
      r.ValueType = 2;
      if (v && !v->is_string()) Fail(vline, "a binary value must be a string of hex digits");
      r.ValueData = hex(v ? v->as_string()->get() : "", true);
    } else {
      Fail(typeLine, "registry type '" + type + "' must be string, dword or binary");
    }
    regs_.push_back(std::move(r));
  }
  for (const toml::table* t : Tables("registry_file")) {
    Keys(*t, {"source", "target_os"}, "[[registry_file]]");
    int64_t line = LineOf(*t, "source");
    fs::path host = HostFile(ReqStr(*t, "source", "[[registry_file]]"), line);
    Pending p{DataItem(host, line, kind::RegFile), host, static_cast<int64_t>(fs::file_size(host))};
    p.rec.UncompressedSize = p.size;
    p.rec.TargetOs = G(Str(*t, "target_os").value_or(""), LineOf(*t, "target_os"), "target_os");
    regFiles_.push_back(std::move(p));
  }
}

std::string Parser::ShortcutFolder(const toml::table& t, const std::string& where) const {
  const std::string place = ReqStr(t, "place", where);
  try {
    return G(ShortcutFolderNotation(place, Str(t, "folder").value_or("")), LineOf(t, "folder"),
             "the shortcut folder");
  } catch (const std::invalid_argument& e) {
    Fail(IsShortcutPlace(place) ? LineOf(t, "folder") : LineOf(t, "place"), e.what());
  }
}

void Parser::ReadShortcuts() {
  for (const toml::table* t : Tables("shortcut_folder")) {
    Keys(*t, {"place", "folder"}, "[[shortcut_folder]]");
    shortcutFolders_.push_back(ShortcutFolder(*t, "[[shortcut_folder]]"));
  }
  for (const toml::table* t : Tables("shortcut")) {
    Keys(*t,
         {"place", "folder", "name", "kind", "target", "url", "windows_target", "icon",
          "windows_icon", "arguments", "description"},
         "[[shortcut]]");
    TShotCutData s;
    s.Folder = ShortcutFolder(*t, "[[shortcut]]");
    s.Name = G(ReqStr(*t, "name", "[[shortcut]]"), LineOf(*t, "name"), "the shortcut name");
    if (s.Name.empty()) Fail(LineOf(*t, "name"), "a shortcut needs a non-empty name");
    int targets =
        (t->get("target") ? 1 : 0) + (t->get("url") ? 1 : 0) + (t->get("windows_target") ? 1 : 0);
    if (targets != 1)
      Fail(Line(*t), "[[shortcut]] needs exactly one of 'target', 'url' or 'windows_target'");
    std::string kindText = Str(*t, "kind").value_or(t->get("url") ? "url" : "link");
    if (kindText == "link")
      s.Kind = 0;
    else if (kindText == "url")
      s.Kind = 1;
    else if (kindText == "folder")
      s.Kind = 2;
    else
      Fail(LineOf(*t, "kind"), "shortcut kind '" + kindText + "' must be link, url or folder");
    if ((s.Kind == 1) != (t->get("url") != nullptr))
      Fail(Line(*t),
           "a shortcut of kind url needs 'url'; other kinds need 'target' or 'windows_target'");
    if (auto v = Str(*t, "target"))
      s.Target = Packaged(*v, LineOf(*t, "target"), "shortcut target");
    else if (auto u = Str(*t, "url"))
      s.Target = G(*u, LineOf(*t, "url"), "the url");
    else
      s.Target = G(*Str(*t, "windows_target"), LineOf(*t, "windows_target"), "windows_target");
    if (t->get("icon") && t->get("windows_icon"))
      Fail(Line(*t), "[[shortcut]] takes 'icon' or 'windows_icon', not both");
    if (auto v = Str(*t, "icon")) s.IconFile = Packaged(*v, LineOf(*t, "icon"), "shortcut icon");
    if (auto v = Str(*t, "windows_icon"))
      s.IconFile = G(*v, LineOf(*t, "windows_icon"), "windows_icon");
    s.Arguments = G(Str(*t, "arguments").value_or(""), LineOf(*t, "arguments"), "the arguments");
    s.Description =
        G(Str(*t, "description").value_or(""), LineOf(*t, "description"), "the description");
    bool known = std::any_of(shortcutFolders_.begin(), shortcutFolders_.end(),
                             [&](const std::string& f) { return SameTextAscii(f, s.Folder); });
    if (!known) shortcutFolders_.push_back(s.Folder);
    shortcuts_.push_back(std::move(s));
  }
}

BuildPlan Parser::Run() {
  std::string text;
  {
    HostInputStream in(file_);
    if (in.Size() > 16 * 1024 * 1024) Fail(1, "manifest larger than 16 MiB");
    text.resize(static_cast<size_t>(in.Size()));
    if (in.Read(text.data(), text.size()) != text.size()) Fail(1, "cannot read the manifest");
  }
  Parse(text);
  std::vector<std::string_view> tables = {
      "product",       "setup",       "file",           "folder",   "file_folder",
      "component",     "uninstaller", "setting",        "registry", "registry_key",
      "registry_file", "shortcut",    "shortcut_folder"};
  for (const PageRow& row : kPageTable) tables.push_back(row.ManifestKey);
  Keys(root(), tables, "the manifest");
  ReadProduct();
  ReadFiles();
  ReadFolders();
  ReadComponents();
  ReadUninstaller();
  ReadSettings();
  ReadRegistry();
  ReadShortcuts();

  BuildPlan plan;
  plan.machine = std::make_unique<DefaultMachine>();
  plan.model = std::make_unique<TCompile>(*plan.machine);
  TCompile& m = *plan.model;
  m.Package().Serial = serial_;
  for (auto& s : settings_) m.Package().InfoList().push_back(std::make_unique<TCompileData>(s));
  m.Package().FileFolderList() = fileFolders_;
  int64_t size = 0;
  for (auto* group : {&files_, &folders_, &regFiles_, &compFiles_, &pageFiles_, &uninstallers_}) {
    for (auto& p : *group) {
      if (p.rec.Kind == kind::File) size += p.size;
      if (p.data) plan.sources.push_back({p.host, p.size, m.Package().FileList().size()});
      m.Package().FileList().push_back(std::make_unique<TCompileFileData>(p.rec));
    }
  }
  m.Package().Size = size;
  // The uninstall switch on and no uninstaller named: the build adds the built-in one.
  std::string unins;  // the last "卸载程序" setting wins, as in the setup
  for (const TCompileData& d : settings_)
    if (d.Group == setting::kGeneral && SameTextAscii(d.Name, setting::kEnableUnIns.name))
      unins = d.Value;
  plan.builtinUninstaller = uninstallers_.empty() && unins == text::kEnabled;
  m.Package().RegFolderList() = regFolders_;
  for (auto& r : regs_) m.Package().RegList().push_back(std::make_unique<TRegInfoData>(r));
  m.Package().ShotCutFolderList() = shortcutFolders_;
  for (auto& s : shortcuts_) m.Package().ShotCutList().push_back(std::make_unique<TShotCutData>(s));
  for (auto& c : comps_) m.Package().CompList().push_back(std::make_unique<TCompileCompData>(c));
  return plan;
}

}  // namespace

BuildPlan ReadManifest(const fs::path& manifest, const std::string& displayName,
                       const SourceOptions& options) {
  return Parser(manifest, displayName, options).Run();
}

void AddBuiltinUninstaller(BuildPlan& plan, const fs::path& host) {
  TCompileFileData r;
  // Installed under this name whatever the file is called here.
  const std::optional<std::string> folder = Utf8ToGbk(WindowsSourcePath(host.parent_path()));
  r.SourcePath = (folder ? *folder : std::string("C:")) + "\\Uninst.exe";
  r.Kind = kind::Uninstaller;
  r.FileTime = FileDayCount(host);
  r.UncompressedSize = static_cast<int64_t>(fs::file_size(host));
  plan.sources.push_back({host, r.UncompressedSize, plan.model->Package().FileList().size()});
  plan.model->Package().FileList().push_back(std::make_unique<TCompileFileData>(r));
}

}  // namespace sk::cli
