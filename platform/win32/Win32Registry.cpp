#include "platform/win32/Win32Registry.h"

#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

namespace sk::win32 {
namespace {

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegRoot::Users:
      return HKEY_USERS;
    case RegRoot::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return nullptr;
}

std::wstring SubKeyName(const std::string& subKey) {
  std::wstring w = Wide(subKey);
  size_t skip = w.find_first_not_of(L'\\');
  return skip == std::wstring::npos ? std::wstring() : w.substr(skip);
}

class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(RegKey key) : key_(std::move(key)) {}

  bool WriteString(const std::string& name, const std::string& value) override {
    std::wstring w = Wide(value);
    return Set(name, REG_SZ, w.c_str(), (w.size() + 1) * sizeof(wchar_t));
  }
  bool WriteDword(const std::string& name, uint32_t value) override {
    DWORD v = value;
    return Set(name, REG_DWORD, &v, sizeof v);
  }
  bool WriteBinary(const std::string& name, const std::string& bytes) override {
    return Set(name, REG_BINARY, bytes.data(), bytes.size());
  }
  std::optional<StoredRegValue> ReadStored(const std::string& name) override {
    const std::wstring wname = Wide(name);
    DWORD type = 0;
    std::vector<BYTE> data(256);
    for (;;) {
      DWORD size = static_cast<DWORD>(data.size());
      const LSTATUS rc =
          RegQueryValueExW(key_.get(), wname.c_str(), nullptr, &type, data.data(), &size);
      if (rc == ERROR_MORE_DATA) {
        data.resize(static_cast<size_t>(size) + 2);
        continue;
      }
      if (rc != ERROR_SUCCESS) return std::nullopt;
      return StoredRegValue{type, std::string(reinterpret_cast<const char*>(data.data()), size)};
    }
  }
  bool WriteStored(const std::string& name, const StoredRegValue& value) override {
    return Set(name, value.type, value.bytes.data(), value.bytes.size());
  }

  std::optional<RegValue> ReadValue(const std::string& name) override {
    std::wstring wname = Wide(name);
    DWORD type = 0;
    std::vector<BYTE> data(256);
    LSTATUS rc;
    for (;;) {
      DWORD size = static_cast<DWORD>(data.size());
      rc = RegQueryValueExW(key_.get(), wname.c_str(), nullptr, &type, data.data(), &size);
      if (rc == ERROR_MORE_DATA) {
        // The value may grow between calls; ask again with the reported size plus room.
        data.resize(static_cast<size_t>(size) + 2);
        continue;
      }
      if (rc != ERROR_SUCCESS) return std::nullopt;
      data.resize(size);
      break;
    }
    RegValue v;
    switch (type) {
      case REG_SZ:
      case REG_EXPAND_SZ: {
        size_t chars = data.size() / sizeof(wchar_t);
        const auto* w = reinterpret_cast<const wchar_t*>(data.data());
        size_t len = 0;
        while (len < chars && w[len] != L'\0') ++len;  // up to the first terminator
        v.type = RegType::String;
        v.data = Narrow(w, len);
        break;
      }
      case REG_DWORD:
        v.type = RegType::Dword;
        v.data.assign(reinterpret_cast<const char*>(data.data()), data.size());
        break;
      case REG_BINARY:
        v.type = RegType::Binary;
        v.data.assign(reinterpret_cast<const char*>(data.data()), data.size());
        break;
      default:
        v.type = RegType::Other;
        v.data.assign(reinterpret_cast<const char*>(data.data()), data.size());
        break;
    }
    return v;
  }

  bool ValueExists(const std::string& name) override {
    return RegQueryValueExW(key_.get(), Wide(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& name) override {
    return RegDeleteValueW(key_.get(), Wide(name).c_str()) == ERROR_SUCCESS;
  }

  std::vector<std::string> ValueNames() override {
    return Enumerate([this](DWORD i, wchar_t* buf, DWORD* len) {
      return RegEnumValueW(key_.get(), i, buf, len, nullptr, nullptr, nullptr, nullptr);
    });
  }

  std::vector<std::string> SubKeyNames() override {
    return Enumerate([this](DWORD i, wchar_t* buf, DWORD* len) {
      return RegEnumKeyExW(key_.get(), i, buf, len, nullptr, nullptr, nullptr, nullptr);
    });
  }

 private:
  bool Set(const std::string& name, DWORD type, const void* data, size_t size) {
    if (size > 0xFFFFFFFFu) return false;
    return RegSetValueExW(key_.get(), Wide(name).c_str(), 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
  }

  // Names by index until the enumeration ends; value names reach 16,383 characters, key
  // names 255.
  template <typename EnumFn>
  std::vector<std::string> Enumerate(EnumFn enumAt) {
    std::vector<std::string> names;
    std::vector<wchar_t> buf(16384);
    for (DWORD i = 0;; ++i) {
      DWORD len = static_cast<DWORD>(buf.size());
      LSTATUS rc = enumAt(i, buf.data(), &len);
      if (rc != ERROR_SUCCESS) break;
      names.push_back(Narrow(buf.data(), len));
    }
    return names;
  }

  RegKey key_;
};

}  // namespace

std::unique_ptr<RegistryKey> OpenRegistryKey(RegRoot root, const std::string& subKey, bool create) {
  HKEY base = RootKey(root);
  if (!base) return nullptr;
  std::wstring sub = SubKeyName(subKey);
  RegKey key;
  LSTATUS rc;
  if (create) {
    rc = RegCreateKeyExW(base, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr);
  } else {
    rc = RegOpenKeyExW(base, sub.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
    if (rc == ERROR_ACCESS_DENIED) rc = RegOpenKeyExW(base, sub.c_str(), 0, KEY_READ, key.put());
  }
  if (rc != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32RegistryKey>(std::move(key));
}

bool DeleteRegistryKey(RegRoot root, const std::string& subKey) {
  HKEY base = RootKey(root);
  std::wstring sub = SubKeyName(subKey);
  if (!base || sub.empty()) return false;
  return RegDeleteKeyW(base, sub.c_str()) == ERROR_SUCCESS;
}

bool RegistryKeyExists(RegRoot root, const std::string& subKey) {
  HKEY base = RootKey(root);
  if (!base) return false;
  RegKey key;
  return RegOpenKeyExW(base, SubKeyName(subKey).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

}  // namespace sk::win32
