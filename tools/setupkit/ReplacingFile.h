// A host file written so that it replaces whatever stands at its name, never writing through it.
//
// The bytes go to a new file beside the target (a short hidden name, created exclusively and
// never through a link), and Commit() renames it over the target. A hard link at the target
// name is thus replaced, and the file it shares its data with (perhaps outside the folder being
// written) keeps its bytes and its date; a reader never sees half a file. The date and other
// properties are set on the new file (path()) before Commit().
// Ownership: owns the temporary file; it is removed when the object dies uncommitted.
// Errors: creating, writing and renaming throw sk::Error naming the file.
#pragma once

#include <filesystem>

#include "tools/setupkit/HostFiles.h"

namespace sk::cli {

class ReplacingFile {
 public:
  explicit ReplacingFile(std::filesystem::path target);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  HostOutputStream& stream() { return *out_; }
  const std::filesystem::path& path() const { return temp_; }  // the new file
  // Closes the stream (if still open) and renames the new file over the target.
  void Commit();

 private:
  std::filesystem::path target_;
  std::filesystem::path temp_;
  std::unique_ptr<HostOutputStream> out_;
  bool committed_ = false;
};

}  // namespace sk::cli
