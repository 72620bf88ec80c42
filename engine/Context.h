// The pipeline context of one install run: what every step of InstallPackage reads.
//
// Ownership: borrows the package, the choices, the run's state, the progress handler, the
// platform, the open package stream and the recorder; all outlive the context. Status() sends a
// status-only progress call (empty FileName, Position = Max = -1) when a handler is given.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/FilesInUse.h"
#include "engine/LogMerge.h"
#include "engine/Transaction.h"
#include "engine/UninstallRecorder.h"
#include "package/Compile.h"
#include "package/Container.h"
#include "platform/Platform.h"

namespace sk {

struct InstallContext {
  const TPackage& package;
  InstallChoices& choices;  // the install writes back the installed AppFile and ReadmeFile
  RunState& run;
  const TCompileProEvent& progress;
  Platform& platform;  // the transaction's view of the machine: every change is noted first
  TransactionPlatform& tx;
  InputStream& setupFile;        // the setup file, source of all file data
  UninstallRecorder& recorder;   // collects everything the run creates
  std::string osCode = {};       // OS version code, computed once at the start
  std::string windowsDir = {};   // the Windows folder, no trailing backslash
  std::string uninstaller = {};  // set by WriteUninstallInfo; empty until then
  // The run's copies of the package's file and shortcut records: placing a file points its copy
  // (and the shortcuts that name it) at the installed path, while the package stays as loaded.
  std::vector<TCompileFileData> files;
  std::vector<TShotCutData> links;
  // File items that InstallFiles placed (written or kept); later steps act only on these.
  std::unordered_set<const TCompileFileData*> placed = {};
  bool entryWritten = false;  // the Uninstall entry was written by this run
  // Programs to start once the last change has been made ("run after install").
  std::vector<std::string> launches = {};

  // Records before this index are the product's earlier ones (its previous log, then those of
  // an "Ins.log" the product owns); this run's own records follow.
  size_t firstOwnRecord = 0;
  // The records of an "Ins.log" of this product, judged against the product's territory once
  // the run knows what it made.
  std::vector<TUnInsData> insLog = {};
  // The uninstaller of the product's previous install whose log was taken over, or "".
  std::string previousUninstaller = {};
  // How held target files are handled (FilesInUse.h); nullptr: their error ends the run.
  FilesInUse* filesInUse = nullptr;
  // Inflates the files' regions, its buffers kept from one file to the next.
  RegionExtractor extractor;
  // Kept by Territory() only.
  std::unique_ptr<ProductTerritory> territory_ = nullptr;
  size_t territoryRecords_ = 0;

  // What the product owns by its records so far (see ProductTerritory): built once, then
  // brought up to date with the records appended since. Records are only appended until
  // ResetTerritory, which a step that inserts records calls.
  const ProductTerritory& Territory() {
    const std::vector<TUnInsData>& records = recorder.Records();
    if (!territory_) {
      territory_ =
          std::make_unique<ProductTerritory>(platform, choices.Options.InstallDir, records);
    } else {
      for (size_t i = territoryRecords_; i < records.size(); ++i) territory_->Add(records[i]);
    }
    territoryRecords_ = records.size();
    return *territory_;
  }
  void ResetTerritory() { territory_.reset(); }

  // True when the product's earlier records (not this run's) name the file at `path`.
  bool RecordedBefore(const std::string& path) const {
    const std::vector<TUnInsData>& records = recorder.Records();
    for (size_t i = 0; i < firstOwnRecord && i < records.size(); ++i)
      if (records[i].Kind == unins_kind::File && SameTextAscii(records[i].Path, path)) return true;
    return false;
  }
  // A per-file progress call: `done` of `count` file items.
  void FileProgress(const std::string& target, const std::string& hint, int64_t done,
                    int64_t count) const {
    if (progress) progress(target, hint, done, count);
  }
  void Status(const std::string& text) const {
    if (progress) progress("", text, -1, -1);
  }
  // True when an item with this TargetOs applies to the running system.
  bool OsMatches(const std::string& targetOs) const {
    return targetOs.empty() || targetOs == osCode;
  }
};

}  // namespace sk
