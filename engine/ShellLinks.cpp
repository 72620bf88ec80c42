#include "engine/ShellLinks.h"

namespace sk {

namespace {

bool IsLeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

// Position after the last single-byte "\" or ":" (GBK trail bytes may equal "\").
size_t FolderPartLength(const std::string& path) {
  size_t length = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '\\' || c == ':') {
      length = i + 1;
    }
  }
  return length;
}

}  // namespace

std::string ExtractFolderPart(const std::string& path) {
  return path.substr(0, FolderPartLength(path));
}

void MakeUniqueName(Platform& p, const std::string& folder, std::string& name,
                    const std::string& ext) {
  // Terminates: every round makes the name longer, and a path too long for the file system
  // names no existing file.
  for (int n = 1; p.FileExists(folder + "\\" + name + ext); ++n) {
    name += "(" + std::to_string(n) + ")";
  }
}

void CreateShellLink(Platform& p, const std::string& folder, const std::string& linkFileName,
                     const std::string& target, const std::string& arguments,
                     const std::string& description, const std::string& iconFile) {
  ShellLinkInfo link;
  link.showCommand = show::Normal;
  if (!iconFile.empty()) {
    link.iconPath = iconFile;
    link.iconIndex = 0;
  }
  link.arguments = arguments;
  link.description = description;
  link.target = target;
  link.workingDir = ExtractFolderPart(target);
  p.CreateShellLink(folder + "\\" + linkFileName, link);  // a failure is not noticed
}

void CreateUrlShortcut(Platform& p, const std::string& name, const std::string& url,
                       const std::string& folder, const std::string& iconFile) {
  size_t folderPart = FolderPartLength(folder);
  bool endsWithBackslash = folderPart == folder.size() && !folder.empty() && folder.back() == '\\';
  std::string path = folder + (endsWithBackslash ? "" : "\\") + name + ".url";
  std::string text = "[InternetShortcut]\r\nURL=" + url + "\r\n";
  if (!iconFile.empty()) text += "IconFile=" + iconFile + "\r\nIconIndex=0\r\n";
  try {
    std::unique_ptr<OutputStream> out = p.CreateFile(path);
    out->Write(text.data(), text.size());
    out->Close();
  } catch (const Error&) {
    // An internet shortcut that cannot be written is passed over.
  }
}

}  // namespace sk
