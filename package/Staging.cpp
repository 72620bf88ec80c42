// Support-file staging into the run's own folder below the temporary folder, and its clean-up
// at exit.
#include "package/Staging.h"

#include <chrono>
#include <optional>

#include "package/Container.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

constexpr int kFolderAttempts = 16;     // fresh names tried before giving up
constexpr size_t kFolderNameBytes = 8;  // random bytes in the folder name (16 hex digits)
constexpr int kMaxRemoveDepth = 64;     // folder levels the clean-up descends

std::string ItemLabel(size_t index) {
  return "file item " + std::to_string(index + 1);
}

[[noreturn]] void Escapes(size_t index, const std::string& text) {
  throw Error(ItemLabel(index) + ": staging path \"" + text + "\" leaves the staging folder");
}

// Path elements split at every separator Windows treats, "\" and "/", empty ones dropped.
// "/" (0x2F) is never the trail byte of a GBK character, so splitting at it is byte-safe.
std::vector<std::string> PathElements(const std::string& path) {
  std::vector<std::string> out;
  for (const auto& piece : SplitText(path, "\\"))
    for (auto& element : SplitText(piece, "/")) out.push_back(std::move(element));
  return out;
}

// An element that would not name an entry of its own inside the folder: "." and "..", other
// names made only of dots and blanks (Windows drops trailing dots and blanks, so "..." is
// ".."), a ":" (a drive or an alternate data stream), a character no Windows name may hold
// (control characters and "<>\"?*", which also make the "\\?\" and "\\.\" device prefixes),
// a device name. Every byte tested is below 0x40, so none of them can be a GBK trail byte.
bool UnsafeElement(const std::string& element) {
  if (element.find_first_not_of(". ") == std::string::npos) return true;
  for (const unsigned char c : element)
    if (c < 0x20 || c == ':' || c == '<' || c == '>' || c == '"' || c == '?' || c == '*')
      return true;
  return IsDeviceName(element);
}

// The elements of `relative` joined with single backslashes. A component folder written
// without its trailing backslash leaves a doubled separator between the component name and the
// rest of the path; joining makes that one, so the path names the same file and folders.
std::string SafeRelative(const std::string& relative, size_t index) {
  std::string out;
  for (const auto& element : PathElements(relative)) {
    if (UnsafeElement(element)) Escapes(index, relative);
    if (!out.empty()) out += '\\';
    out += element;
  }
  return out;
}

// The file name of a registry or page file: the last element of its source path, the file's
// path on the build machine. Every element of that path must be a plain name, so that the name
// taken is the file the path names; only a leading drive ("D:") or UNC share ("\\server\share")
// may come before them. A package whose path holds "..", a drive or stream ":" further on, a
// device prefix or name, or that ends in a separator is refused: no writer of ours makes one.
std::string SafeFileName(const TCompileFileData& f, size_t index) {
  const std::string& path = f.SourcePath;
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  const std::vector<std::string> elements = PathElements(drive ? path.substr(2) : path);
  // StripTrailingBackslash leaves a "\" that is the trail byte of a GBK character alone.
  if (elements.empty() || path.back() == '/' || StripTrailingBackslash(path) != path)
    throw Error(ItemLabel(index) + ": source path \"" + path + "\" names no file");
  for (const auto& element : elements)
    if (UnsafeElement(element))
      throw Error(ItemLabel(index) + ": source path \"" + path + "\" holds \"" + element +
                  "\", which is not a plain file or folder name");
  return elements.back();
}

}  // namespace

std::optional<std::string> RelativeStagingPath(const TCompileFileData& f, size_t index) {
  // No Windows path is longer (32,767 UTF-16 units, at most two GBK bytes each); a longer one
  // is refused before it is split into its elements, which would take many times its size.
  constexpr size_t kMaxPathBytes = 2 * 32767;
  if (f.Kind == kind::RegFile || f.Kind == kind::CompFile || f.Kind == kind::PageFile) {
    for (const std::string* text : {&f.SourcePath, &f.TargetDir, &f.Name})
      if (text->size() > kMaxPathBytes)
        throw Error(ItemLabel(index) + ": a name of " + std::to_string(text->size()) +
                    " bytes is longer than any Windows path");
  }
  switch (f.Kind) {
    case kind::RegFile:
      return "Reg\\" + SafeFileName(f, index);
    case kind::CompFile: {
      // The file's path below its component's source folder (TargetDir is a prefix).
      std::string below =
          f.SourcePath.size() > f.TargetDir.size() ? f.SourcePath.substr(f.TargetDir.size()) : "";
      std::string file = SafeRelative(below, index);
      if (file.empty())
        throw Error(ItemLabel(index) + ": source path \"" + f.SourcePath +
                    "\" names no file below its component folder \"" + f.TargetDir + "\"");
      std::string component = SafeRelative(f.Name, index);
      return "Comp\\" + (component.empty() ? file : component + "\\" + file);
    }
    case kind::PageFile:
      return "Info\\" + SafeFileName(f, index);
    default:
      return std::nullopt;
  }
}

namespace {

// True when `path`, with "." and ".." resolved, names an entry below `folder` (ASCII letter
// case ignored, like Windows).
bool LiesInside(const std::string& folder, const std::string& path) {
  std::vector<std::string> resolved;
  for (auto& element : PathElements(path)) {
    if (element == ".") continue;
    if (element == "..") {
      if (resolved.empty()) return false;
      resolved.pop_back();
      continue;
    }
    resolved.push_back(std::move(element));
  }
  const std::vector<std::string> base = PathElements(folder);
  if (resolved.size() <= base.size()) return false;
  for (size_t i = 0; i < base.size(); ++i)
    if (!SameTextAscii(base[i], resolved[i])) return false;
  return true;
}

std::string HexText(const unsigned char* bytes, size_t n) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0xF];
  }
  return out;
}

// Creates a folder that did not exist before, with a random name below the temporary folder,
// and returns it with a trailing backslash. A name that exists already (another run's folder,
// or one prepared by someone guessing) is never reused.
std::string CreateRunFolder(Platform& platform) {
  const std::string temp = GetTempFolder(platform);
  if (!platform.DirectoryExists(temp)) platform.ForceDirectories(temp);
  for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
    unsigned char bytes[kFolderNameBytes];
    if (!platform.RandomBytes(bytes, sizeof bytes))
      throw Error(temp + ": no random source for the staging folder's name");
    const std::string folder = temp + "sk" + HexText(bytes, sizeof bytes);
    if (platform.CreateDirectory(folder)) return folder + "\\";
    if (platform.GetFileAttributes(folder) == attr::Invalid) break;  // not a name clash
  }
  throw Error(temp + ": cannot create a staging folder");
}

// Removes `folder` with everything in it. Links and junctions are removed themselves, never
// followed; read-only files lose the attribute first. Failures are passed over.
void RemoveTree(Platform& platform, const std::string& folder, int depth) {
  if (depth < kMaxRemoveDepth) {
    for (const auto& name : platform.ListDirectory(folder)) {
      const std::string path = folder + "\\" + name;
      const uint32_t a = platform.GetFileAttributes(path);
      if (a == attr::Invalid) continue;
      if (a & attr::ReparsePoint) {
        (a & attr::Directory) ? platform.RemoveDirectory(path) : platform.DeleteFile(path);
      } else if (a & attr::Directory) {
        RemoveTree(platform, path, depth + 1);
      } else {
        if (a & attr::ReadOnly) platform.SetFileAttributes(path, a & ~attr::ReadOnly);
        platform.DeleteFile(path);
      }
    }
  }
  platform.RemoveDirectory(folder);
}

}  // namespace

void StageSupportFiles(TCompile& model, InputStream& setupFile, const StagingProgress& progress) {
  Platform& platform = model.GetPlatform();
  auto& files = model.Package().FileList();
  const auto max = static_cast<int32_t>(files.size());

  // Every name is checked before anything is written: a package with one name that would
  // leave the staging folder stages nothing.
  std::vector<std::optional<std::string>> relative(files.size());
  bool any = false;
  for (size_t i = 0; i < files.size(); ++i) {
    relative[i] = RelativeStagingPath(*files[i], i);
    any = any || relative[i].has_value();
  }
  if (any && model.Run().StagingFolder.empty())
    model.Run().StagingFolder = CreateRunFolder(platform);
  const std::string& temp = model.Run().StagingFolder;

  for (size_t i = 0; i < files.size(); ++i) {
    if (progress) progress(static_cast<int32_t>(i + 1), max);
    if (!relative[i]) continue;
    TCompileFileData& f = *files[i];
    const std::string path = temp + *relative[i];
    if (!LiesInside(temp, path)) Escapes(i, path);

    if (f.Kind == kind::CompFile) f.TargetDir = temp + "Comp\\" + f.Name;
    if (f.Kind == kind::PageFile) {
      for (auto& setting : model.Package().InfoList())
        if (SameTextAscii(setting->Value, f.SourcePath)) setting->Value = path;
    }
    f.SourcePath = path;

    const std::string folder = ExtractFilePath(path);
    if (!platform.DirectoryExists(folder)) platform.ForceDirectories(folder);
    auto out = platform.CreateFile(path);
    model.Run().StagedFiles.push_back(path);
    try {
      ExtractRegion(setupFile, *out, f.DataStart, f.DataEnd);
      out->Close();
    } catch (const Error& e) {
      throw Error(path + ": " + e.what());
    }
  }
}

namespace {

void WaitForStagedFileReaders(TCompile& model, uint32_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (const auto& reader : model.Run().StagedFileReaders) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    reader->Wait(static_cast<uint32_t>(left));
  }
  model.Run().StagedFileReaders.clear();
}

}  // namespace

void DeleteStagedFiles(TCompile& model, uint32_t readerTimeoutMs) {
  WaitForStagedFileReaders(model, readerTimeoutMs);
  Platform& platform = model.GetPlatform();
  for (const auto& path : model.Run().StagedFiles)
    if (platform.FileExists(path)) platform.DeleteFile(path);
  if (!model.Run().StagingFolder.empty()) {
    std::string folder = model.Run().StagingFolder;
    folder.pop_back();  // the trailing backslash
    RemoveTree(platform, folder, 0);
    model.Run().StagingFolder.clear();
  }
}

}  // namespace sk
