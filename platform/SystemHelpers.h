// Small queries on top of the Platform that the package model, the engine and the windows
// share: special folders, temporary and Windows folders, the OS version code, free space, the
// size text, attribute reset. Stateless; none shows a message.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace sk {

namespace csidl {
constexpr int Desktop = 0;
constexpr int Programs = 2;
constexpr int CommonPrograms = 23;
constexpr int AppData = 26;
constexpr int CommonAppData = 35;
constexpr int ProgramFiles = 38;
}  // namespace csidl

std::string GetSpecialFolder(Platform& p, int csidl);  // no trailing backslash; "" if none
std::string GetProgramFilesFolder(Platform& p);        // GetSpecialFolder(38)
// Temporary folder with trailing backslash. Throws Error when the system's path does not fit
// the 260-byte buffer the setup has always used.
std::string GetTempFolder(Platform& p);
std::string GetWindowsFolder(Platform& p);  // no trailing backslash
// Full path of a program that comes with the system, in the Windows folder or the system
// folder; "" when that folder is unknown. Started by full path, such a program cannot be
// replaced by one of the same name beside the setup or in the current folder.
enum class SystemHome { WindowsFolder, SystemFolder };
std::string SystemProgramPath(Platform& p, SystemHome home, const std::string& fileName);
// The program part of a command line: the path in double quotes when it holds a blank or a
// tab (the system would otherwise try "C:\Program.exe" first), otherwise unchanged.
std::string QuoteProgramPath(const std::string& path);
std::string GetOsVersionCode(Platform& p);      // "0", "1", "2" or "major.minor"
int64_t GetFreeSpace(Platform& p, char drive);  // -1 when unknown
std::string FormatSize(int64_t n);              // "1.50KB", "1024", "9.56MB"
void ClearAttributes(Platform& p, const std::string& path);

}  // namespace sk
