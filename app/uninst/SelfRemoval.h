// Removal of the running uninstaller's own file and of the folders that hold it (Windows only).
//
// A running program cannot delete its own file. ScheduleSelfRemoval copies the program into a
// fresh private folder under the temporary folder and starts the copy with
// "/cleanup <pid> <uninstaller> <folder>...": the copy waits until this process has ended,
// deletes the uninstaller, removes each folder in order while it is empty, then asks the system
// to delete the copy and its private folder at the next restart. ScheduleSelfRemoval returns
// once the copy has looked at this process (or has ended, or 15 s have passed), so the caller
// may end right away. When the copy cannot be
// started, the uninstaller and the folders are marked for deletion at the next restart.
// Returns false when even that failed (the caller says so).
//
// RunCleanup is the copy's side: `args` are the words after "/cleanup". Before it touches
// anything it proves that it is the copy started for that uninstaller (engine/SelfRemovalCheck.h:
// its private folder, the process running from the file, the same bytes, folders that hold the
// file); otherwise, or when the process does not end within a minute, it returns 2 and leaves
// everything as it is. Never throws.
#pragma once

#include <string>
#include <vector>

namespace sk::uninst {

bool ScheduleSelfRemoval(const std::wstring& uninstaller, const std::vector<std::wstring>& folders);
int RunCleanup(const std::vector<std::wstring>& args);

}  // namespace sk::uninst
