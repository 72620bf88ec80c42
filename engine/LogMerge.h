// The records an install takes over from earlier logs, so that the product's later uninstall
// removes what the product made before, and nothing that someone else made.
//
// MergePreviousLog appends to the recorder the records of the product's own log of its last
// install: the log beside the uninstaller that the product's Uninstall entry names, accepted
// only when ReadUninstallLog accepts it (the entry vouches for its bytes) and it names this
// product. They come first, so their flags win over the run's records of the same items.
// Returns the previous uninstaller's path ("" when no log was taken): when the product now goes
// to another folder, PreviousUninstallerRecords records that uninstaller and its log, so that
// the old folder can go too.
//
// ReadInsLog returns the records of an "Ins.log" in the current folder when its header names
// this product (none when it is missing, damaged or another product's). The current folder is
// often a downloads folder that anyone may write to, so the install keeps of them only what
// ProductTerritory holds and drops the rest without a word.
//
// ProductTerritory: what a product owns, judged from its install folder and its trusted records
// (its previous log and this run's). It holds
// - files and folders inside the install folder or inside a folder the product created (other
//   than the folders above the install folder, which may hold other programs, and protected
//   places such as a drive root or the Windows folder);
// - elsewhere, only the files the product itself wrote, and folders that hold the product's
//   files or folders (those are removed only when empty);
// - registry values the product wrote, and values inside keys it created (but not inside the
//   keys that hold many programs' values: Run, RunOnce, Services, and the keys above them);
// - keys it created or wrote to, and the keys above those (removed only when empty).
// Paths that are not absolute or hold elements Windows reads otherwise ("." / "..", a trailing
// dot or blank, a stream name) are never held.
//
// Errors: none leave these functions; a log that cannot be read contributes nothing.
// Ownership: borrows the Platform and the recorder for the duration of a call.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "engine/Removal.h"
#include "engine/UninstallRecorder.h"
#include "platform/Platform.h"

namespace sk {

std::string MergePreviousLog(Platform& platform, UninstallRecorder& recorder,
                             const std::string& serial);

// Records of the previous uninstaller and its log when they are not the new ones (none else).
std::vector<TUnInsData> PreviousUninstallerRecords(const std::string& previous,
                                                   const std::string& current);

std::vector<TUnInsData> ReadInsLog(Platform& platform, const std::string& serial);

class ProductTerritory {
 public:
  // `platform` gives the protected places (Removal.h): a drive root, the Windows folder, a
  // profile or system folder is never owned as a whole, even as the install folder.
  ProductTerritory(Platform& platform, const std::string& installDir,
                   const std::vector<TUnInsData>& records);
  // Takes one more of the product's records into account.
  void Add(const TUnInsData& record);

  // True when the record names something the product owns (see above).
  bool Holds(const TUnInsData& record) const;
  // True when the file lies inside the product's folders or the product wrote it.
  bool HoldsFile(const std::string& path) const;

 private:
  ProtectedPlaces protected_;
  std::string install_;                // the install folder, folded and clean
  std::vector<std::string> trees_;     // folded folders whose whole content is the product's
  std::vector<std::string> places_;    // folded folders holding the product's files or folders
  std::vector<std::string> keyTrees_;  // folded "root\key" of the keys the product created
  std::vector<std::string> keys_;      // folded "root\key" of every key of the product's records
  std::unordered_set<std::string> identities_;  // RecordIdentity of the product's records
};

// Of `candidates`, the records that `territory` holds, in their order.
std::vector<TUnInsData> OwnedRecords(const ProductTerritory& territory,
                                     const std::vector<TUnInsData>& candidates);

}  // namespace sk
