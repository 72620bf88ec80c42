// What an install does with a target file that another program holds open (the system refuses
// it with a sharing or lock violation, Error::FileInUse).
//
// An interactive run gives `ask`: it is asked for each held target and answers Retry (the file
// is tried again), Skip (the file stays as it was, with its attributes, and the run records
// nothing for it) or Cancel (PlaceFile throws InstallCancelled; InstallPackage undoes the run).
// An unattended run leaves `ask` empty: the file is tried `attempts` more times, `waitMs` apart
// (Platform::Pause), and then written beside the target ("<target>.~sk<n>", the same folder,
// with the file's own date) and scheduled to replace the target at the next restart
// (Platform::ReplaceFileAtRestart, a transaction step the undo takes back). The run goes on and
// the caller finds the deferred files in `deferred`: a restart is needed.
//
// Ownership: the caller owns the object for one InstallPackage call; the run appends to
// `deferred` and `skipped`. Errors: any other failure of the file passes unchanged; a deferred
// file whose replacement cannot be scheduled throws sk::Error naming the target.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"

namespace sk {

struct InstallContext;

enum class InUseAnswer : uint8_t { Retry, Skip, Cancel };

struct DeferredFile {
  std::string source;  // the new file, beside the target until the restart
  std::string target;
  bool operator==(const DeferredFile&) const = default;
};

struct FilesInUse {
  std::function<InUseAnswer(const std::string& target)> ask = nullptr;
  int attempts = 5;
  uint32_t waitMs = 1000;
  std::vector<DeferredFile> deferred = {};
  std::vector<std::string> skipped = {};
  bool RestartNeeded() const { return !deferred.empty(); }
};

// The user chose to cancel the install at a held file. The message says so (GBK).
class InstallCancelled : public Error {
 public:
  using Error::Error;
};

// The question the wizard asks about a held target (GBK).
std::string FileInUseQuestion(const std::string& target);

enum class Placement : uint8_t { Written, Skipped, Deferred };

// Writes one file through `write(path)` (which creates `path` with the file's data and date),
// at `target`, handling a held target as described above when the run has a FilesInUse.
// `before` is the target's attributes as the caller just read them (attr::Invalid when it is
// not there), which a skipped target gets back; without it they are read here.
Placement PlaceFile(InstallContext& ctx, const std::string& target,
                    const std::function<void(const std::string& path)>& write,
                    std::optional<uint32_t> before = std::nullopt);

}  // namespace sk
