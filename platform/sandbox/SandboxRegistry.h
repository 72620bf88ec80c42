// The registry of the sandbox machine: an in-memory tree of keys and values with names that
// compare without regard to ASCII case (GBK-aware), read from and written to the regedit text
// format ("Windows Registry Editor Version 5.00", UTF-8 here), and able to apply .reg files as
// "Regedit /s" would (version 5 in UTF-16 or UTF-8, or "REGEDIT4" in GBK).
//
// Keys are shared_ptr nodes so that an open key handle stays valid when its key is deleted by
// an import (it then reports failures). HKEY_CLASSES_ROOT is a view of
// HKEY_LOCAL_MACHINE\Software\Classes, as on Windows for machine-wide classes.
//
// Limits as on Windows: a key name (one level) holds at most 255 characters, a key lies at
// most 512 levels below its root, a value name holds at most 16,383 characters; a call that
// would exceed them fails. Names that registry.reg cannot hold so that they read back the same
// (line breaks, zero characters, bytes without a character) fail too, so the file always loads.
//
// Errors: LoadText throws sk::Error naming the source and line when the text is malformed
// (strict mode); ApplyRegFile skips lines it cannot read and reports whether all were applied.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace sk::sandbox {

class SandboxRegistry {
 public:
  struct Value {
    std::string name;  // GBK, original case; "" is the default value
    uint32_t type = 1;
    std::string data;  // REG_SZ: GBK without terminator; others: raw bytes
  };
  struct Key {
    std::string name;                                      // GBK, original case
    std::map<std::string, std::shared_ptr<Key>> children;  // by folded name
    std::map<std::string, Value> values;                   // by folded name
    bool deleted = false;
  };

  static constexpr size_t kMaxKeyNameChars = 255;
  static constexpr size_t kMaxKeyDepth = 512;
  static constexpr size_t kMaxValueNameChars = 16383;

  SandboxRegistry();

  // The key at root\subKey (a leading "\" is ignored; "" is the root itself); with create,
  // missing keys are made. nullptr when absent, when subKey has an empty inner element or a
  // name longer than a key name may be, or when a key to make would lie too deep or have a
  // name registry.reg cannot hold.
  std::shared_ptr<Key> Find(RegRoot root, const std::string& subKey, bool create);
  // False (nothing changed) when the name is too long or cannot be held by registry.reg.
  bool SetValue(Key& key, const std::string& name, uint32_t type, std::string data);
  void DeleteKey(RegRoot root, const std::string& subKey);
  // Removes one value of key; false when it has none of that name.
  bool DeleteValue(Key& key, const std::string& name);

  bool dirty() const { return dirty_; }
  void MarkClean() { dirty_ = false; }

  // The whole registry as version-5 regedit text in UTF-8 (CR LF line ends), keys sorted.
  std::string ToText() const;
  // Replaces the contents with the keys of a text written by ToText. Throws sk::Error naming
  // source and line when the text is malformed.
  void LoadText(const std::string& utf8, const std::string& source);
  // Applies a .reg file (bytes as read from disk) on top of the contents: keys and values are
  // added or replaced, "[-key]" and "name"=- delete. Lines that cannot be read are skipped.
  // False when the file is not a registry file or a line was skipped.
  bool ApplyRegFile(const std::string& bytes);

 private:
  bool Apply(const std::string& utf8, bool unicodeHex, bool strict, const std::string& source);
  std::shared_ptr<Key> RootKey(RegRoot root, std::string& subKey);

  std::map<RegRoot, std::shared_ptr<Key>> roots_;
  bool dirty_ = false;
};

}  // namespace sk::sandbox
