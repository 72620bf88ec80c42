// Readable messages for files an install cannot write (see FileErrors.h).
#include "engine/FileErrors.h"

#include "engine/FileErrorTexts.h"
#include "package/Compile.h"

namespace sk {

namespace {

namespace txt = file_error_text;

// Windows error codes the messages tell apart.
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kLockViolation = 33;
constexpr uint32_t kHandleDiskFull = 39;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kDirectoryName = 267;

// Why the folder of `path` is not there: the first folder on the way that is a file, or the
// innermost one that is missing. "" when the folder exists after all.
std::string MissingFolderCause(Platform& platform, const std::string& path) {
  const std::string parent = StripTrailingBackslash(ExtractFilePath(path));
  if (parent.empty() || platform.DirectoryExists(parent)) return {};
  const std::vector<std::string> parts = SplitText(parent, "\\");
  std::string level = parent.rfind("\\\\", 0) == 0 ? "\\\\" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    level += (i == 0 ? "" : "\\") + parts[i];
    if (i > 0 && platform.FileExists(level))
      return txt::kParentIsFileOpen + level + txt::kParentIsFileClose;
  }
  return txt::kParentMissingOpen + parent + txt::kParentMissingClose;
}

std::string Sentence(Platform& platform, const std::string& path, uint32_t code) {
  const auto because = [&path](const char* opening, const std::string& cause) {
    return opening + path + txt::kBecause + cause;
  };
  switch (code) {
    case kFileNotFound:
    case kPathNotFound:
    case kDirectoryName:
      if (std::string cause = MissingFolderCause(platform, path); !cause.empty())
        return because(txt::kCannotCreate, cause);
      break;
    case kAccessDenied: {
      if (platform.DirectoryExists(path)) return because(txt::kCannotCreate, txt::kFolderSameName);
      if (std::string cause = MissingFolderCause(platform, path); !cause.empty())
        return because(txt::kCannotCreate, cause);
      const uint32_t a = platform.GetFileAttributes(path);
      if (a != attr::Invalid && (a & (attr::ReadOnly | attr::Hidden | attr::System)))
        return because(txt::kCannotOverwrite, txt::kReadOnly);
      return because(txt::kCannotWrite, txt::kAccessDenied);
    }
    case kSharingViolation:
    case kLockViolation:
      return because(txt::kCannotOverwrite, txt::kInUse);
    case kHandleDiskFull:
    case kDiskFull:
      return because(txt::kCannotWrite, txt::kDiskFull);
    default:
      break;
  }
  return txt::kCannotWrite + path + txt::kEnd;
}

}  // namespace

std::string FileErrorText(Platform& platform, const std::string& path, const Error& error) {
  std::string text = Sentence(platform, path, error.code());
  if (!error.reason().empty())
    text += "\r\n" + error.reason();
  else if (error.code() == 0)
    text += "\r\n" + std::string(error.what());
  return text;
}

}  // namespace sk
