// The pictures built into the choice pages, as PNG file bytes (32 x 32 pixels, with alpha):
// the start-menu folder page shows a folder with a program window, the install-folder page a
// folder. Decode them with DecodePng (ui/Picture.h).
#pragma once

#include <string>

namespace sk::page_picture {

const std::string& StartMenuFolder();
const std::string& InstallFolder();

}  // namespace sk::page_picture
