// Support-file staging: registry files (Kind 2), component package files (Kind 3) and page
// files (Kind 4) are extracted from the setup file into a folder of the run's own below the
// temporary folder, and the model's references are pointed at the copies.
//
// Layout: T = <temp>\sk<16 random hex digits>\ (RunState::StagingFolder), created fresh by
// this run (a name that exists already is never reused), holding Reg\<file name>,
// Comp\<component>\<path below the component folder> and Info\<file name>. Names split at "\"
// and "/" alike; every staging path is checked to lie inside T before anything is written.
// DeleteStagedFiles, at exit, waits (bounded) for the processes started on staged files, then
// deletes the staged files and removes T with whatever it holds.
//
// Errors: a name that would leave T (".." or "." elements, a drive or stream ":", a device name)
// throws sk::Error before any file or folder is made; so does a folder that cannot be created.
// The source path of a registry or page file must be made of plain names (a leading drive or
// UNC share aside) although only its last element is used: one with "..", a ":" further on or
// a device prefix is refused as well, and so is a name longer than any Windows path (65,534
// bytes). RelativeStagingPath makes the same checks for one item
// without writing anything; the package check runs it over every item before any change.
// A file that cannot be created or data that does not inflate throws sk::Error naming the file;
// items staged before it are listed in StagedFiles and still deleted at exit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "package/Compile.h"
#include "platform/Platform.h"

namespace sk {

using StagingProgress = std::function<void(int32_t Position, int32_t Max)>;

// How long the clean-up at exit waits, in all, for processes still reading staged files.
constexpr uint32_t kStagedFileReaderWaitMs = 30000;

// Where item `index` of the file list is staged, below T ("Reg\<name>", "Info\<name>",
// "Comp\<component>\<path>"); nullopt for the kinds that are not staged. Throws sk::Error
// naming the item when its names are refused (above).
std::optional<std::string> RelativeStagingPath(const TCompileFileData& item, size_t index);

void StageSupportFiles(TCompile& model, InputStream& setupFile,
                       const StagingProgress& progress = nullptr);
void DeleteStagedFiles(TCompile& model, uint32_t readerTimeoutMs = kStagedFileReaderWaitMs);

}  // namespace sk
