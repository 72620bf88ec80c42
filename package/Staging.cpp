// Support-file staging into the temporary folder and its clean-up at exit.
#include "package/Staging.h"

#include "package/Container.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

std::string ItemLabel(size_t index) {
  return "file item " + std::to_string(index + 1);
}

// Joins the non-empty elements of `relative` with single backslashes. A component folder
// written without its trailing backslash leaves a doubled one between the component name and
// the rest of the path; this makes that one separator, so the path names the same file and
// folders. Elements "." and ".." are refused: a staged file must stay below the staging folder.
std::string CleanRelative(const std::string& relative, size_t index) {
  std::string out;
  for (const auto& element : SplitText(relative, "\\")) {
    if (element == "." || element == "..")
      throw Error(ItemLabel(index) + ": staging path \"" + relative +
                  "\" leaves the staging folder");
    if (!out.empty()) out += '\\';
    out += element;
  }
  return out;
}

std::string FileNameToStage(const TCompileFileData& f, size_t index) {
  std::string name = ExtractFileName(f.SourcePath);
  if (name.empty() || name == "." || name == "..")
    throw Error(ItemLabel(index) + ": source path \"" + f.SourcePath + "\" names no file");
  return name;
}

}  // namespace

void StageSupportFiles(TCompile& model, InputStream& setupFile, const StagingProgress& progress) {
  Platform& platform = model.GetPlatform();
  const std::string temp = GetTempFolder(platform);
  auto& files = model.FileList();
  const auto max = static_cast<int32_t>(files.size());

  for (size_t i = 0; i < files.size(); ++i) {
    if (progress) progress(static_cast<int32_t>(i + 1), max);
    TCompileFileData& f = *files[i];

    std::string path;
    switch (f.Kind) {
      case kind::RegFile:
        path = temp + "Reg\\" + FileNameToStage(f, i);
        break;
      case kind::CompFile: {
        // The file's path below its component's source folder (TargetDir is a prefix).
        std::string below =
            f.SourcePath.size() > f.TargetDir.size() ? f.SourcePath.substr(f.TargetDir.size()) : "";
        std::string file = CleanRelative(below, i);
        if (file.empty())
          throw Error(ItemLabel(i) + ": source path \"" + f.SourcePath +
                      "\" names no file below its component folder \"" + f.TargetDir + "\"");
        std::string component = CleanRelative(f.Name, i);
        std::string relative = component.empty() ? file : component + "\\" + file;
        f.TargetDir = temp + "Comp\\" + f.Name;
        path = temp + "Comp\\" + relative;
        break;
      }
      case kind::PageFile:
        path = temp + "Info\\" + FileNameToStage(f, i);
        for (auto& setting : model.InfoList())
          if (SameTextAscii(setting->Value, f.SourcePath)) setting->Value = path;
        break;
      default:
        continue;
    }
    f.SourcePath = path;

    const std::string folder = ExtractFilePath(path);
    if (!platform.DirectoryExists(folder)) platform.ForceDirectories(folder);
    auto out = platform.CreateFile(path);
    model.StagedFiles.push_back(path);
    try {
      ExtractRegion(setupFile, *out, f.DataStart, f.DataEnd);
      out->Close();
    } catch (const Error& e) {
      throw Error(path + ": " + e.what());
    }
  }
}

void DeleteStagedFiles(TCompile& model) {
  Platform& platform = model.GetPlatform();
  for (const auto& path : model.StagedFiles)
    if (platform.FileExists(path)) platform.DeleteFile(path);
}

}  // namespace sk
