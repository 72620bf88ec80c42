// The GBK texts of the uninstaller and of the undo of a failed install (namespace
// sk::uninstall_text): byte strings made at build time from their readable form in
// engine/Engine.texts.
#pragma once

#include <string>

#include "engine/Engine.texts.h"
