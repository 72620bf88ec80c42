// Writers of shortcut files shared by the shortcut and uninstall steps: unique shortcut names,
// shell links (.lnk) and internet shortcuts (.url). Everything goes through the Platform it is
// handed; texts and paths are GBK.
//
// Failures are not reported: a link or .url file that cannot be saved (missing folder, access
// denied) is silently not written, and the folder is never created here.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace sk {

// While the file folder + "\" + name + ext exists, appends "(n)" to name (n = 1, 2, ...): the
// suffixes accumulate, so with A.lnk and A(1).lnk present name becomes A(1)(2).
void MakeUniqueName(Platform& p, const std::string& folder, std::string& name,
                    const std::string& ext);

// Saves the link folder + "\" + linkFileName to target with show command normal, the icon
// (index 0) when iconFile is non-empty, arguments, description and, as working folder, the
// folder part of target including its trailing backslash.
void CreateShellLink(Platform& p, const std::string& folder, const std::string& linkFileName,
                     const std::string& target, const std::string& arguments,
                     const std::string& description, const std::string& iconFile);

// Writes folder + "\" + name + ".url" (no extra "\" when folder ends in one), replacing an
// existing file: "[InternetShortcut]", "URL=" + url and, only with an icon file,
// "IconFile=" + iconFile and "IconIndex=0"; GBK text, each line ended by CR LF.
void CreateUrlShortcut(Platform& p, const std::string& name, const std::string& url,
                       const std::string& folder, const std::string& iconFile);

// The folder part of a GBK path up to and including its last "\" or ":" ("" when none).
std::string ExtractFolderPart(const std::string& path);

}  // namespace sk
