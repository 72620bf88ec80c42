// Where "setupkit extract" writes each item, decided for all items before anything is written.
//
// Inputs: the package's file list and whether support files are wanted. Each item gets its
// sanitised path (ExtractPathOf). Two files whose paths differ only in ASCII case or in what
// sanitising removed ("f.txt." and "f.txt " are both "f.txt"), or a file whose path is a
// folder of another item, would overwrite each other: the later file is written as
// "name (2).ext" (or 3, ...) instead, and the plan says so. Folders merge.
// CheckHostLimits then refuses, before anything is written, a name longer than the host's
// longest name or a path longer than its longest path below the output folder.
// Errors: CheckHostLimits throws sk::Error naming the path and the limit.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "package/Compile.h"

namespace sk::cli {

struct PlannedItem {
  const TCompileFileData* item = nullptr;
  std::string rel;           // UTF-8, "/"-separated, below the output folder
  bool folder = false;       // an empty folder to create (Kind 1)
  std::string collidedWith;  // the path the item would have had, when it was renamed
};

std::vector<PlannedItem> PlanExtraction(const RecordList<TCompileFileData>& files,
                                        bool withSupport);

void CheckHostLimits(const std::filesystem::path& root, const std::vector<PlannedItem>& plan);

}  // namespace sk::cli
