// Registry keys on advapi32, in the process's default registry view. Private to platform/win32.
//
// OpenRegistryKey strips leading backslashes from subKey; with create it uses RegCreateKeyEx,
// otherwise RegOpenKeyEx asking for read and write access and falling back to read-only access
// when write access is refused (so values under protected keys can still be read).
// nullptr when the key cannot be opened. Strings are written as REG_SZ in UTF-16 and read back
// (REG_SZ and REG_EXPAND_SZ) as GBK.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace sk::win32 {

std::unique_ptr<RegistryKey> OpenRegistryKey(RegRoot root, const std::string& subKey, bool create);
bool RegistryKeyExists(RegRoot root, const std::string& subKey);
// RegDeleteKey: only a key without subkeys is deleted; never a root.
bool DeleteRegistryKey(RegRoot root, const std::string& subKey);

}  // namespace sk::win32
