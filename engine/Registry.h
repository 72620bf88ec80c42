// Registry entries: silent imports of staged .reg files, the package's keys (RegFolderList) and
// values (RegList), with the helpers that decode the package's key and value notation.
//
// Key notation: "目标计算机\<root name>\<key path>", root names HKEY_CLASSES_ROOT,
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG (ASCII case-insensitive).
// Recorded for the uninstall log: every key level that a key entry or a value creates (parents
// first, only levels that did not exist) and every value written, except the default value of
// a key that existed before (an empty-named record stands for the key itself).
// No errors: keys that cannot be opened and values that cannot be written are passed over; an
// entry whose key text names no known root is rejected.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/Context.h"

namespace sk {

struct KeySpec {
  RegRoot root;
  std::string path;  // below the root, no leading backslash; "" for the root itself
};

void WriteRegistry(InstallContext& ctx);

std::optional<KeySpec> ParseKeySpec(const std::string& text);
// The predefined root named by `name` (ASCII case-insensitive), if any.
std::optional<RegRoot> RootFromName(const std::string& name);
// The root's name ("HKEY_LOCAL_MACHINE"); the number for a root without one.
std::string RootName(RegRoot root);
// Hex digits, most significant first; bytes that are not hex digits count as 0. 64-bit wrap.
int64_t HexToInt(const std::string& text);
// Two hex digits per byte, an odd count padded with a trailing "0".
std::string HexToBytes(const std::string& text);
// "[Windows]" / "[安装目录]" at the very beginning become the folder and a backslash.
std::string ExpandValueMacros(const std::string& text, const std::string& windowsDir,
                              const std::string& installDir);
// Starts "<regedit of the setup's view> /s "<path>"" (SystemViews.h: "<Windows>\regedit.exe",
// or SysWOW64's for a 32-bit setup on a 64-bit Windows; the program path quoted when it holds a
// blank) without waiting, and hands back the process (nullptr when it could not be started).
// WriteRegistry keeps the processes in the run's StagedFileReaders: the staged file must
// outlive the import.
std::unique_ptr<ChildProcess> ImportRegFile(Platform& platform, const std::string& path);

}  // namespace sk
