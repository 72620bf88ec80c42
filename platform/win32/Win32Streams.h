// File streams on Win32 handles. Private to platform/win32.
//
// OpenFileForRead: shared for reading and writing (the package is read from the running
// executable), reads through a 64 KiB buffer so small reads of the package reader stay cheap.
// CreateFileForWrite: CREATE_ALWAYS, no sharing, writes through a 1 MiB buffer.
// Both throw sk::Error "cannot open file <path>: <reason>" / "cannot create file <path>: <reason>";
// reads and writes throw "cannot read file ..." / "cannot write file ..." on an I/O failure.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace sk::win32 {

std::unique_ptr<InputStream> OpenFileForRead(const std::string& path);
std::unique_ptr<OutputStream> CreateFileForWrite(const std::string& path);
// Platform::HoldFile: OPEN_ALWAYS without sharing, deleted when closed; nullptr on a sharing
// violation, Error "cannot create file <path>: <reason>" otherwise.
std::unique_ptr<FileHold> HoldFileOpen(const std::string& path);

}  // namespace sk::win32
