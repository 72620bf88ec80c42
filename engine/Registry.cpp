// Registry entries (see Registry.h).
#include "engine/Registry.h"

#include <array>
#include <utility>

#include "engine/SystemViews.h"
#include "engine/TargetPaths.h"
#include "engine/Texts.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

const std::array<std::pair<const char*, RegRoot>, 5> kRoots = {{
    {"HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},
    {"HKEY_CURRENT_USER", RegRoot::CurrentUser},
    {"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
    {"HKEY_USERS", RegRoot::Users},
    {"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
}};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// Replaces a leading macro and the backslash that follows it by folder + "\".
std::optional<std::string> ExpandOne(const std::string& text, const std::string& macro,
                                     const std::string& folder) {
  if (!StartsWithText(text, macro)) return std::nullopt;
  size_t rest = macro.size();
  if (rest < text.size() && text[rest] == '\\') ++rest;
  return folder + "\\" + text.substr(rest);
}

void WriteValue(InstallContext& ctx, const TRegInfoData& item) {
  if (!ctx.OsMatches(item.TargetOs)) return;
  const std::optional<KeySpec> parsed = ParseKeySpec(item.KeyPath);
  if (!parsed) return;
  // Keys the value needs that do not exist yet are created level by level and recorded, parents
  // before children, so that removal in reverse order takes the value, then the keys upwards.
  const bool keyExisted = ctx.platform.KeyExists(parsed->root, parsed->path);
  if (!keyExisted && !parsed->path.empty()) ctx.recorder.CreateKeyPath(parsed->root, parsed->path);
  auto key = ctx.platform.OpenKey(parsed->root, parsed->path, true);
  if (!key) return;
  switch (item.ValueType) {
    case 0:
      key->WriteString(item.ValueName, ExpandValueMacros(item.ValueData, ctx.windowsDir,
                                                         ctx.choices.Options.InstallDir));
      break;
    case 1:
      key->WriteDword(item.ValueName, static_cast<uint32_t>(HexToInt(item.ValueData)));
      break;
    case 2:
      key->WriteBinary(item.ValueName, HexToBytes(item.ValueData));
      break;
    default:
      break;
  }
  // A record with an empty value name stands for the key itself, which removal deletes when it
  // holds nothing else: the default value of a key that existed before is left unrecorded, so
  // that key is never removed. (A key this run created is recorded already.)
  if (item.ValueName.empty() && keyExisted) return;
  ctx.recorder.AddRegKey(RootText(parsed->root), parsed->path, item.ValueName);
}

}  // namespace

std::optional<RegRoot> RootFromName(const std::string& name) {
  for (const auto& [text, root] : kRoots)
    if (SameTextAscii(name, text)) return root;
  return std::nullopt;
}

std::string RootName(RegRoot root) {
  for (const auto& [text, known] : kRoots)
    if (known == root) return text;
  return RootText(root);
}

std::optional<KeySpec> ParseKeySpec(const std::string& text) {
  const std::vector<std::string> parts = SplitText(text, "\\");
  if (parts.size() < 2) return std::nullopt;
  const std::optional<RegRoot> root = RootFromName(parts[1]);
  if (!root) return std::nullopt;
  KeySpec parsed{*root, ""};
  for (size_t i = 2; i < parts.size(); ++i) parsed.path += (i > 2 ? "\\" : "") + parts[i];
  return parsed;
}

int64_t HexToInt(const std::string& text) {
  uint64_t v = 0;
  for (char c : text) v = v * 16 + static_cast<uint64_t>(HexDigit(c));
  return static_cast<int64_t>(v);
}

std::string HexToBytes(const std::string& text) {
  std::string padded = text;
  if (padded.size() % 2) padded += '0';
  std::string out(padded.size() / 2, '\0');
  for (size_t k = 0; k < out.size(); ++k)
    out[k] = static_cast<char>(HexDigit(padded[2 * k]) * 16 + HexDigit(padded[2 * k + 1]));
  return out;
}

std::string ExpandValueMacros(const std::string& text, const std::string& windowsDir,
                              const std::string& installDir) {
  if (auto r = ExpandOne(text, engine_text::kMacroWindows, windowsDir)) return *r;
  if (auto r = ExpandOne(text, engine_text::kMacroInstallDir, installDir)) return *r;
  return text;
}

std::unique_ptr<ChildProcess> ImportRegFile(Platform& platform, const std::string& path) {
  const std::string tool = RegeditPath(platform, kSetupIs32Bit);
  if (tool.empty()) return nullptr;  // never fall back to a search by bare name
  return platform.StartProcess(QuoteProgramPath(tool) + " /s \"" + path + "\"", show::Normal);
}

void WriteRegistry(InstallContext& ctx) {
  const TPackage& package = ctx.package;
  if (!ctx.files.empty() || !package.RegFolderList().empty() || !package.RegList().empty())
    ctx.Status(engine_text::kWritingRegistry);

  for (const TCompileFileData& item : ctx.files)
    if (item.Kind == kind::RegFile && ctx.OsMatches(item.TargetOs))
      if (auto import = ImportRegFile(ctx.platform, item.SourcePath))
        ctx.run.StagedFileReaders.push_back(std::move(import));

  for (const std::string& text : package.RegFolderList()) {
    const std::optional<KeySpec> parsed = ParseKeySpec(text);
    if (parsed && !parsed->path.empty() && !ctx.platform.KeyExists(parsed->root, parsed->path))
      ctx.recorder.CreateKeyPath(parsed->root, parsed->path);
  }

  for (const auto& item : package.RegList()) WriteValue(ctx, *item);
}

}  // namespace sk
