// The message an install shows when it cannot write a file: one Chinese sentence that names the
// file and says what is wrong, followed by the system's reason on the next line.
//
// FileErrorText reads the system's error code carried by the Error (platform/Error.h) and looks
// at the machine to tell the causes apart: a folder on the path that is a file or does not
// exist, a folder where the file should be, a read-only or protected file, a file in use (the
// program or its uninstaller running), access denied, a full disk. An Error without a code
// (data that does not inflate, a stream that only says "write failed") gives the plain sentence
// followed by its own message. Only queries the Platform; never throws.
#pragma once

#include <string>

#include "platform/Error.h"
#include "platform/Platform.h"

namespace sk {

std::string FileErrorText(Platform& platform, const std::string& path, const Error& error);

}  // namespace sk
