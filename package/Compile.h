// The in-memory installation package (TPackage: settings, the eight lists, the product identity)
// and the setup session built on it (TCompile: the package, the user's InstallChoices and the
// run's RunState). One TCompile per run, owned by the startup driver (or a CLI command / test);
// windows borrow it, the engine borrows its parts.
//
// Loading reads the trailer and settings block of the package file (see Container.h); every
// malformed byte sequence ends the load with sk::Error naming what is wrong and where, and the
// records parsed so far stay in the lists. The platform (files, registry, program-files folder)
// is handed to the constructor and must outlive the model.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "package/InstallChoices.h"
#include "package/RunState.h"
#include "package/SettingNames.h"
#include "platform/Platform.h"

namespace sk {

// A setting item. Group says which part of the setup reads it (0 general, 1 page list, ...).
struct TCompileData {
  std::string Name;
  std::string Value;
  uint8_t Group = 0;
};

// File item kinds.
namespace kind {
constexpr uint8_t File = 0;         // file to install into TargetDir
constexpr uint8_t Folder = 1;       // folder TargetDir + "\" + Name to create
constexpr uint8_t RegFile = 2;      // .reg file, staged then imported
constexpr uint8_t CompFile = 3;     // file of component package Name, staged
constexpr uint8_t PageFile = 4;     // picture / agreement / explanation, staged
constexpr uint8_t Uninstaller = 5;  // uninstaller program, written to the install folder
}  // namespace kind

struct TCompileFileData {
  std::string Name;
  std::string SourcePath;
  std::string TargetDir;
  uint8_t RunAtStartup = 0;
  uint8_t KeepOnUninstall = 0;
  uint8_t NoOverwrite = 0;
  uint8_t RegisterServer = 0;
  uint8_t InstallService = 0;
  uint8_t RunAfterInstall = 0;
  uint8_t PatchFile = 0;
  std::string TargetOs;
  int64_t DataStart = 0;
  int64_t DataEnd = 0;
  int64_t UncompressedSize = 0;
  uint8_t ReservedFlag = 0;
  uint8_t Kind = 0;
  double FileTime = 0.0;  // days since 1899-12-30, local time
};

struct TRegInfoData {
  std::string KeyPath;
  std::string ValueName;
  std::string ValueData;
  std::string TargetOs;
  uint8_t ValueType = 0;  // 0 REG_SZ, 1 REG_DWORD, 2 REG_BINARY
};

struct TShotCutData {
  std::string Folder;
  std::string Name;
  std::string Target;
  std::string IconFile;
  std::string Arguments;
  std::string Description;
  uint8_t Kind = 0;  // 0 link, 1 internet shortcut, 2 link to the target's folder
};

struct TCompileCompData {
  std::string Name;
  int64_t Size = 0;
};

// Progress event of the install pipeline. A status call has an empty FileName and
// Position = Max = -1.
using TCompileProEvent = std::function<void(const std::string& FileName, const std::string& HintMsg,
                                            int64_t Position, int64_t Max)>;

template <typename T>
using RecordList = std::vector<std::unique_ptr<T>>;  // records keep their address
using StringList = std::vector<std::string>;

class TCustomCompile {
 public:
  TCustomCompile() = default;
  virtual ~TCustomCompile() = default;
  TCustomCompile(const TCustomCompile&) = delete;
  TCustomCompile& operator=(const TCustomCompile&) = delete;

  RecordList<TCompileData>& InfoList() { return InfoList_; }
  StringList& FileFolderList() { return FileFolderList_; }
  RecordList<TCompileFileData>& FileList() { return FileList_; }
  StringList& RegFolderList() { return RegFolderList_; }
  RecordList<TRegInfoData>& RegList() { return RegList_; }
  RecordList<TCompileCompData>& CompList() { return CompList_; }
  StringList& ShotCutFolderList() { return ShotCutFolderList_; }
  RecordList<TShotCutData>& ShotCutList() { return ShotCutList_; }
  const RecordList<TCompileData>& InfoList() const { return InfoList_; }
  const StringList& FileFolderList() const { return FileFolderList_; }
  const RecordList<TCompileFileData>& FileList() const { return FileList_; }
  const StringList& RegFolderList() const { return RegFolderList_; }
  const RecordList<TRegInfoData>& RegList() const { return RegList_; }
  const RecordList<TCompileCompData>& CompList() const { return CompList_; }
  const StringList& ShotCutFolderList() const { return ShotCutFolderList_; }
  const RecordList<TShotCutData>& ShotCutList() const { return ShotCutList_; }

  // Frees every record and empties all eight lists.
  void ClearLists();

 private:
  RecordList<TCompileData> InfoList_;
  StringList FileFolderList_;
  RecordList<TCompileFileData> FileList_;
  StringList RegFolderList_;
  RecordList<TRegInfoData> RegList_;
  RecordList<TCompileCompData> CompList_;
  StringList ShotCutFolderList_;
  RecordList<TShotCutData> ShotCutList_;
};

// The package as loaded: the eight lists, the product identity and the switches that describe
// stored data. Read-only once the load has finished; the engine borrows it as const.
class TPackage : public TCustomCompile {
 public:
  explicit TPackage(Platform& platform) : platform_(platform) {}

  // The machine the package was loaded on (not part of the package's state).
  Platform& GetPlatform() const { return platform_; }

  // Appends to `out` (after clearing it) every setting of InfoList whose Group equals group.
  void GetGroupSettings(int group, std::vector<TCompileData*>& out) const;

  std::string ItemName;
  int64_t Size = 0;
  std::string Serial;
  std::string Version;
  std::string Url;
  std::string Author;

  bool Patched() const { return Patched_; }
  void SetPatched(bool v) { Patched_ = v; }  // for writers and tests; the load sets it itself

  // Parses an inflated settings stream, appending to the lists and taking the identity settings
  // (project name, author, version, web address, patch flag) as they pass. Throws Error on a
  // malformed stream; the records parsed so far stay.
  void ParseSettings(const std::string& stream);
  // The package's Size plus the Size of every component, saturating instead of wrapping.
  int64_t TotalSize() const;

 private:
  void OnSettingParsed(const TCompileData& item);

  bool Patched_ = false;
  Platform& platform_;
};

// One setup session: the loaded package, the choices the pages edit (seeded by the load with the
// package's defaults) and the run's own state, held side by side. The startup driver (or a CLI
// command / test) owns it; windows borrow the parts they need (const TPackage& to read settings,
// InstallChoices& to edit); the install pipeline takes the three parts separately
// (InstallPackage(package, choices, run, progress)), so no progress handler lives here.
class TCompile {
 public:
  explicit TCompile(Platform& platform) : package_(platform) {}
  TCompile(const TCompile&) = delete;
  TCompile& operator=(const TCompile&) = delete;

  TPackage& Package() { return package_; }
  const TPackage& Package() const { return package_; }
  InstallChoices& Choices() { return choices_; }
  const InstallChoices& Choices() const { return choices_; }
  RunState& Run() { return run_; }
  const RunState& Run() const { return run_; }
  Platform& GetPlatform() const { return package_.GetPlatform(); }

  // Loads the package appended to the file at `path`. A path with no file leaves the session as
  // constructed (no evaluation). Throws Error on a malformed package.
  void LoadPackage(const std::string& path);
  // Steps 3-5 of the load on an open stream (the whole setup file): trailer, settings, then
  // CalcTotalSize and EvaluateOptions.
  void LoadPackageFrom(InputStream& in);
  // Parses an inflated settings stream into the package's lists and seeds the choices the
  // records carry themselves: the any-group texts and one chosen entry per component. On a
  // malformed stream the records parsed so far stay and have seeded their choices.
  void ParseSettings(const std::string& stream);

  // The package's needed space (see TPackage::TotalSize), stored in Options.TotalSize.
  int64_t CalcTotalSize();
  // Seeds the options from the package's settings (see SeedOptions).
  void EvaluateOptions();

 private:
  TPackage package_;
  InstallChoices choices_;
  RunState run_;
};

// The option defaults a loaded package gives: the wizard, shortcut, start-menu and finish-page
// switches and texts, and the install folder (the earlier install's, read from its uninstall
// entry, for a patch; otherwise the default path with its program-files word resolved).
void SeedOptions(const TPackage& package, TInstallData& options);
// The option texts a setting carries in any group (reboot, messages, pages opened afterwards,
// uninstaller switch), taken as each setting is parsed, so a later one wins.
void SeedFromSetting(const TCompileData& item, TInstallData& options);

// Removes one trailing "\" if the last byte is "\".
std::string StripTrailingBackslash(const std::string& path);
// Splits at every occurrence of delimiter (ASCII case-insensitive); drops empty pieces.
std::vector<std::string> SplitText(const std::string& text, const std::string& delimiter);
// The pieces SplitText would return, handed to `piece` one at a time (no list is built: a text
// of short pieces takes many times its size as a list); stops when `piece` returns false.
void ForEachPiece(const std::string& text, const std::string& delimiter,
                  const std::function<bool(std::string_view)>& piece);
// ASCII-only case folding comparisons used wherever names are compared.
bool SameTextAscii(const std::string& a, const std::string& b);
std::string LowerAscii(std::string s);
// True when Windows reads this path element as a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// CONIN$, CONOUT$), with any extension and trailing blanks: "nul.txt", "COM1 ".
bool IsDeviceName(const std::string& element);
// The decimal digits of `value`, with leading zeros up to `width` digits ("%0*llu" without the
// C library's formatted output, which would bring its whole printf into the Windows programs).
std::string PaddedDecimal(uint64_t value, size_t width);
// The text after the last "\" or ":".
std::string ExtractFileName(const std::string& path);
// The text up to and including the last "\" or ":".
std::string ExtractFilePath(const std::string& path);

}  // namespace sk
