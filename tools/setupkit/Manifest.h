// The build manifest (UTF-8 TOML, described in docs/manifest.md) turned into a package model
// plus the host files whose data the package carries.
//
// The plan's model is complete except for the data offsets (DataStart, DataEnd) of the items
// listed in `sources`, which the package writer fills in; everything else (settings, lists,
// SourcePath, TargetDir, UncompressedSize, FileTime, the trailer Size) is set here.
//
// Errors: any fault in the manifest throws ManifestError with the text "file:line: message"
// (GBK, like every sk::Error): TOML syntax, unknown keys, wrong value types, missing files, a
// setting in a group that does not exist, a reference to a file that is not packaged, a text
// that GBK cannot hold.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "package/Compile.h"
#include "platform/Error.h"
#include "tools/setupkit/DefaultMachine.h"
#include "tools/setupkit/SourceWalk.h"

namespace sk::cli {

class ManifestError : public Error {
 public:
  using Error::Error;
};

struct DataSource {
  std::filesystem::path host;  // file whose bytes become the item's data region
  int64_t size = 0;            // its size when the manifest was read
  size_t item = 0;             // index into the model's FileList
};

struct BuildPlan {
  std::unique_ptr<DefaultMachine> machine;  // outlives the model, which borrows it
  std::unique_ptr<TCompile> model;
  std::vector<DataSource> sources;  // in FileList order
  // The uninstall switch is on but the manifest names no uninstaller: the build packs the
  // built-in one (AddBuiltinUninstaller).
  bool builtinUninstaller = false;
};

// Appends the uninstaller program at `host` as the package's uninstaller item (Kind 5),
// installed as "Uninst.exe".
void AddBuiltinUninstaller(BuildPlan& plan, const std::filesystem::path& host);

// `displayName` is how the manifest is named in messages (UTF-8, usually as given); `options`
// say which host files may be packed (see SourceWalk.h).
BuildPlan ReadManifest(const std::filesystem::path& manifest, const std::string& displayName,
                       const SourceOptions& options = {});

// The Windows form of a host path as SourcePath stores it (UTF-8): /a/b → Z:\a\b on POSIX hosts,
// the path itself with backslashes on Windows.
std::string WindowsSourcePath(const std::filesystem::path& absolute);

// Local-time day count of a file's last write time (whole seconds).
double FileDayCount(const std::filesystem::path& file);

}  // namespace sk::cli
