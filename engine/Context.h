// The pipeline context of one install run: what every step of InstallPackage reads.
//
// Ownership: borrows the model, the platform, the open package stream and the recorder; all are
// owned by InstallPackage and outlive the context. Status() sends a status-only progress call
// (empty FileName, Position = Max = -1) when the model has a handler.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/LogMerge.h"
#include "engine/UninstallRecorder.h"
#include "package/Compile.h"
#include "platform/Platform.h"

namespace sk {

struct InstallContext {
  TCompile& model;
  Platform& platform;
  InputStream& package;         // the setup file, source of all file data
  UninstallRecorder& recorder;  // collects everything the run creates
  std::string osCode;           // OS version code, computed once at the start
  std::string windowsDir;       // the Windows folder, no trailing backslash
  std::string uninstaller;      // set by WriteUninstallInfo; empty until then
  // File items that InstallFiles placed (written or kept); later steps act only on these.
  std::unordered_set<const TCompileFileData*> placed;
  // Identities (RecordIdentity) of recorded items that existed before this run wrote them:
  // the undo of a failed install leaves these as they are now.
  std::unordered_set<std::string> replaced;
  bool replacedFile = false;  // a file that existed before this run was overwritten by it
  bool entryWritten = false;  // the Uninstall entry was written by this run
  // Identities of the files this run has opened for writing so far.
  std::unordered_set<std::string> written;

  // Records before this index are the product's earlier ones (its previous log, then those of
  // an "Ins.log" the product owns); this run's own records follow.
  size_t firstOwnRecord = 0;
  // The records of an "Ins.log" of this product, judged against the product's territory once
  // the run knows what it made.
  std::vector<TUnInsData> insLog;
  // The uninstaller of the product's previous install whose log was taken over, or "".
  std::string previousUninstaller;
  // Kept by Territory() only.
  std::unique_ptr<ProductTerritory> territory_;
  size_t territoryRecords_ = 0;

  // What the product owns by its records so far (see ProductTerritory): built once, then
  // brought up to date with the records appended since. Records are only appended until
  // ResetTerritory, which a step that inserts records calls.
  const ProductTerritory& Territory() {
    const std::vector<TUnInsData>& records = recorder.Records();
    if (!territory_) {
      territory_ = std::make_unique<ProductTerritory>(platform, model.Options.InstallDir, records);
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

  void Status(const std::string& text) const {
    if (model.OnCompile) model.OnCompile("", text, -1, -1);
  }
  // True when an item with this TargetOs applies to the running system.
  bool OsMatches(const std::string& targetOs) const {
    return targetOs.empty() || targetOs == osCode;
  }
};

}  // namespace sk
