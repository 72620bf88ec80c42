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

#include "engine/LogMerge.h"
#include "engine/UnInstall.h"
#include "package/Compile.h"
#include "platform/Platform.h"

namespace sk {

struct InstallContext {
  const TPackage& package;
  InstallChoices& choices;  // the install writes back the installed AppFile and ReadmeFile
  RunState& run;
  const TCompileProEvent& progress;
  Platform& platform;
  InputStream& setupFile;        // the setup file, source of all file data
  TUnInstall& recorder;          // collects everything the run creates
  std::string osCode = {};       // OS version code, computed once at the start
  std::string windowsDir = {};   // the Windows folder, no trailing backslash
  std::string uninstaller = {};  // set by WriteUninstallInfo; empty until then
  // The run's copies of the package's file and shortcut records: placing a file points its copy
  // (and the shortcuts that name it) at the installed path, while the package stays as loaded.
  std::vector<TCompileFileData> files;
  std::vector<TShotCutData> links;
  // File items that InstallFiles placed (written or kept); later steps act only on these.
  std::unordered_set<const TCompileFileData*> placed = {};
  // Identities (RecordIdentity) of recorded items that existed before this run wrote them:
  // the undo of a failed install leaves these as they are now.
  std::unordered_set<std::string> replaced = {};
  bool replacedFile = false;  // a file that existed before this run was overwritten by it
  bool entryWritten = false;  // the Uninstall entry was written by this run
  // Identities of the files this run has opened for writing so far.
  std::unordered_set<std::string> written = {};

  // Records before this index are the product's earlier ones (its previous log, then those of
  // an "Ins.log" the product owns); this run's own records follow.
  size_t firstOwnRecord = 0;
  // The records of an "Ins.log" of this product, judged against the product's territory once
  // the run knows what it made.
  std::vector<TUnInsData> insLog = {};
  // The uninstaller of the product's previous install whose log was taken over, or "".
  std::string previousUninstaller = {};
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
  // Notes that the file at `path`, which existed when it was opened for writing, is being
  // overwritten. A file this run wrote before (a package that names it twice) was not there
  // before the run: it stays the run's own.
  void NoteReplacedFile(const std::string& path) {
    std::string id = RecordIdentity({"", path, "", 1, unins_kind::File});
    if (written.count(id)) return;
    replaced.insert(std::move(id));
    replacedFile = true;
  }
  void NoteWrittenFile(const std::string& path) {
    written.insert(RecordIdentity({"", path, "", 1, unins_kind::File}));
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
