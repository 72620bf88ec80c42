#include "platform/sandbox/SandboxRegistry.h"

#include <cstdio>
#include <vector>

#include "platform/Encoding.h"
#include "platform/sandbox/Utf16Bytes.h"
#include "platform/sandbox/WinPath.h"

namespace sk::sandbox {

namespace {

struct RootName {
  RegRoot root;
  const char* name;
  const char* shortName;
};
constexpr RootName kRoots[] = {
    {RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RegRoot::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegRoot::Users, "HKEY_USERS", "HKU"},
    {RegRoot::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
};
constexpr const char* kClassesUnderMachine = "Software\\Classes";
constexpr const char* kHeader5 = "Windows Registry Editor Version 5.00";
constexpr const char* kHeader4 = "REGEDIT4";

std::string Escape(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string HexBytes(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i) out += ',';
    out += buf;
  }
  return out;
}

// Text of a REG_SZ value that survives the trip through UTF-8 and a quoted line.
bool StoresAsQuoted(const std::string& gbk) {
  for (char c : gbk) {
    if (c == '\0' || c == '\r' || c == '\n') return false;
  }
  std::optional<std::string> back = Utf8ToGbk(GbkToUtf8(gbk));
  return back && *back == gbk;
}

// Characters of a GBK name as Windows counts them (UTF-16 units; a double-byte character is
// one, so are single bytes).
size_t CharCount(const std::string& gbk) {
  size_t n = 0;
  for (size_t i = 0; i < gbk.size(); ++i, ++n) {
    if (IsGbkLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size()) ++i;
  }
  return n;
}

// A key or value name that registry.reg holds so that it reads back the same: no line break
// or zero character, and a UTF-8 form that converts back to the same bytes.
bool StorableName(const std::string& gbk) {
  if (gbk.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
  std::optional<std::string> back = Utf8ToGbk(GbkToUtf8(gbk));
  return back && *back == gbk;
}

std::string FormatValue(const SandboxRegistry::Value& v) {
  std::string line = v.name.empty() ? std::string("@") : "\"" + Escape(GbkToUtf8(v.name)) + "\"";
  line += '=';
  if (v.type == 1 && StoresAsQuoted(v.data)) return line + "\"" + Escape(GbkToUtf8(v.data)) + "\"";
  if (v.type == 4 && v.data.size() == 4) {
    uint32_t d = 0;
    for (int i = 3; i >= 0; --i) d = (d << 8) | static_cast<unsigned char>(v.data[i]);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", d);
    return line + "dword:" + buf;
  }
  std::string bytes = v.data;
  if (v.type == 1) bytes = Utf16LeBytes(GbkToUtf16(v.data) + u'\0');
  char prefix[24];
  if (v.type == 3) {
    std::snprintf(prefix, sizeof prefix, "hex:");
  } else {
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(v.type));
  }
  return line + prefix + HexBytes(bytes);
}

// Writes the key and everything below it, depth first in name order, without recursion.
void WriteTree(const SandboxRegistry::Key& top, const std::string& topPath, std::string& out) {
  std::vector<std::pair<const SandboxRegistry::Key*, std::string>> pending{{&top, topPath}};
  while (!pending.empty()) {
    auto [key, path] = std::move(pending.back());
    pending.pop_back();
    out += "[" + path + "]\r\n";
    for (const auto& [folded, v] : key->values) out += FormatValue(v) + "\r\n";
    out += "\r\n";
    for (auto it = key->children.rbegin(); it != key->children.rend(); ++it) {
      pending.emplace_back(it->second.get(), path + "\\" + GbkToUtf8(it->second->name));
    }
  }
}

std::string TrimLeft(const std::string& s) {
  size_t i = s.find_first_not_of(" \t");
  return i == std::string::npos ? std::string() : s.substr(i);
}
std::string TrimRight(const std::string& s) {
  size_t i = s.find_last_not_of(" \t\r");
  return i == std::string::npos ? std::string() : s.substr(0, i + 1);
}

// Reads a quoted text with \\ and \" escapes starting at s[pos] == '"'; pos ends after the
// closing quote.
std::optional<std::string> ReadQuoted(const std::string& s, size_t& pos) {
  if (pos >= s.size() || s[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < s.size(); ++pos) {
    char c = s[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\' && pos + 1 < s.size()) c = s[++pos];
    out += c;
  }
  return std::nullopt;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> ParseHexList(const std::string& s) {
  std::string out;
  size_t i = 0;
  while (true) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= s.size()) return out;
    if (i + 1 >= s.size()) return std::nullopt;
    int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i < s.size()) {
      if (s[i] != ',') return std::nullopt;
      ++i;
    }
  }
}

std::optional<uint32_t> ParseHexNumber(const std::string& s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint32_t v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return v;
}

}  // namespace

SandboxRegistry::SandboxRegistry() {
  for (const RootName& r : kRoots) {
    if (r.root == RegRoot::ClassesRoot) continue;
    auto key = std::make_shared<Key>();
    key->name = r.name;
    roots_[r.root] = key;
  }
}

std::shared_ptr<SandboxRegistry::Key> SandboxRegistry::RootKey(RegRoot root, std::string& subKey) {
  if (root == RegRoot::ClassesRoot) {
    subKey = std::string(kClassesUnderMachine) + "\\" + subKey;
    root = RegRoot::LocalMachine;
  }
  auto it = roots_.find(root);
  return it == roots_.end() ? nullptr : it->second;
}

std::shared_ptr<SandboxRegistry::Key> SandboxRegistry::Find(RegRoot root,
                                                            const std::string& subKeyIn,
                                                            bool create) {
  std::string subKey = subKeyIn.substr(0, subKeyIn.find('\0'));
  if (!subKey.empty() && subKey[0] == '\\') subKey.erase(0, 1);
  std::shared_ptr<Key> key = RootKey(root, subKey);
  if (!key || subKey.empty()) return key;
  std::vector<std::string> parts = SplitGbk(subKey, '\\');
  if (parts.back().empty()) parts.pop_back();  // a trailing "\" is accepted
  for (const std::string& part : parts) {
    if (part.empty() || CharCount(part) > kMaxKeyNameChars) return nullptr;
  }
  if (parts.size() > kMaxKeyDepth) return nullptr;  // no such key exists, none can be made
  for (const std::string& part : parts) {
    std::string folded = FoldCase(part);
    auto it = key->children.find(folded);
    if (it == key->children.end()) {
      if (!create || !StorableName(part)) return nullptr;
      auto child = std::make_shared<Key>();
      child->name = part;
      it = key->children.emplace(folded, child).first;
      dirty_ = true;
    }
    key = it->second;
  }
  return key;
}

bool SandboxRegistry::SetValue(Key& key, const std::string& name, uint32_t type, std::string data) {
  if (CharCount(name) > kMaxValueNameChars || !StorableName(name)) return false;
  // The system keeps text values as UTF-16: bytes that form no GBK character (a lone lead
  // byte, from a REGEDIT4 hex(1) line or a program) are kept as their conversion makes them,
  // so the value reads the same before and after the machine is saved and started again.
  if (type == static_cast<uint32_t>(RegType::String)) data = GbkFromUtf16(GbkToUtf16(data));
  Value& v = key.values[FoldCase(name)];
  if (v.name.empty()) v.name = name;  // an existing value keeps the case of its name
  v.type = type;
  v.data = std::move(data);
  dirty_ = true;
  return true;
}

bool SandboxRegistry::DeleteValue(Key& key, const std::string& name) {
  if (key.deleted || key.values.erase(FoldCase(name)) == 0) return false;
  dirty_ = true;
  return true;
}

void SandboxRegistry::DeleteKey(RegRoot root, const std::string& subKeyIn) {
  std::string subKey = subKeyIn;
  if (!subKey.empty() && subKey[0] == '\\') subKey.erase(0, 1);
  std::vector<std::string> parts = SplitGbk(subKey, '\\');
  if (parts.back().empty()) parts.pop_back();
  if (parts.empty()) return;  // roots are never deleted
  std::string leaf = parts.back();
  parts.pop_back();
  std::string parentPath;
  for (const std::string& p : parts) parentPath += (parentPath.empty() ? "" : "\\") + p;
  std::shared_ptr<Key> parent = Find(root, parentPath, false);
  if (!parent) return;
  auto it = parent->children.find(FoldCase(leaf));
  if (it == parent->children.end()) return;
  // Handles still open on the subtree see it as deleted.
  std::vector<Key*> pending{it->second.get()};
  while (!pending.empty()) {
    Key* k = pending.back();
    pending.pop_back();
    k->deleted = true;
    for (auto& [n, c] : k->children) pending.push_back(c.get());
  }
  parent->children.erase(it);
  dirty_ = true;
}

std::string SandboxRegistry::ToText() const {
  std::string out = std::string(kHeader5) + "\r\n\r\n";
  for (const RootName& r : kRoots) {
    auto it = roots_.find(r.root);
    if (it != roots_.end()) WriteTree(*it->second, r.name, out);
  }
  return out;
}

void SandboxRegistry::LoadText(const std::string& utf8, const std::string& source) {
  SandboxRegistry fresh;
  fresh.Apply(utf8, true, true, source);
  roots_ = std::move(fresh.roots_);
  dirty_ = false;
}

bool SandboxRegistry::ApplyRegFile(const std::string& bytes) {
  std::string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text = GbkToUtf8(GbkFromUtf16(FromUtf16LeBytes(bytes.substr(2))));
  } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 || bytes.compare(0, 8, kHeader4) != 0) {
    text = bytes;  // UTF-8 version 5 text (or not a registry file at all)
  } else {
    text = GbkToUtf8(bytes);  // REGEDIT4 files are in the ANSI code page
  }
  return Apply(text, text.find(kHeader5) != std::string::npos, false, "");
}

bool SandboxRegistry::Apply(const std::string& utf8In, bool unicodeHex, bool strict,
                            const std::string& source) {
  std::string utf8 = utf8In;
  if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);
  bool complete = true;
  size_t lineNo = 0;
  auto bad = [&](const std::string& why) {
    if (strict) throw Error(source + ": line " + std::to_string(lineNo) + ": " + why);
    complete = false;
  };

  std::vector<std::string> lines;
  {
    size_t start = 0;
    while (start <= utf8.size()) {
      size_t end = utf8.find('\n', start);
      if (end == std::string::npos) end = utf8.size();
      lines.push_back(TrimRight(utf8.substr(start, end - start)));
      start = end + 1;
    }
  }
  utf8.clear();
  utf8.shrink_to_fit();

  bool headerSeen = false;
  std::shared_ptr<Key> current;
  for (size_t i = 0; i < lines.size(); ++i) {
    lineNo = i + 1;
    std::string line = TrimLeft(lines[i]);
    if (line.empty() || line[0] == ';') continue;
    if (!headerSeen) {
      if (line != kHeader5 && line != kHeader4) {
        bad("not a registry file");
        return false;
      }
      headerSeen = true;
      continue;
    }
    if (line[0] == '[') {
      current = nullptr;
      if (line.back() != ']') {
        bad("unterminated key name");
        continue;
      }
      bool remove = line.size() > 1 && line[1] == '-';
      std::string path = line.substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2));
      std::optional<std::string> gbk = Utf8ToGbk(path);
      size_t sep = gbk ? gbk->find('\\') : std::string::npos;
      std::string rootName = gbk ? gbk->substr(0, sep) : "";
      std::string sub = sep == std::string::npos ? "" : gbk->substr(sep + 1);
      const RootName* root = nullptr;
      for (const RootName& r : kRoots) {
        if (EqualNoCase(rootName, r.name) || EqualNoCase(rootName, r.shortName)) root = &r;
      }
      if (!root) {
        bad("unknown registry root in " + path);
        continue;
      }
      if (remove) {
        DeleteKey(root->root, sub);
      } else if (!(current = Find(root->root, sub, true))) {
        bad("invalid key name " + path);
      }
      continue;
    }
    // A value line; hex data may continue on the next lines after a trailing "\". The line is
    // checked for hex data once: what a continuation adds is hex digits and commas.
    if (line.back() == '\\' && line.find("=hex") != std::string::npos) {
      while (!line.empty() && line.back() == '\\' && i + 1 < lines.size()) {
        line.pop_back();
        line += TrimLeft(lines[++i]);
      }
    }
    if (!current) {
      bad("value outside a key");
      continue;
    }
    size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
      pos = 1;
    } else if (auto q = ReadQuoted(line, pos)) {
      name = *q;
    } else {
      bad("malformed value name");
      continue;
    }
    if (pos >= line.size() || line[pos] != '=') {
      bad("missing \"=\"");
      continue;
    }
    std::string data = line.substr(pos + 1);
    std::optional<std::string> gbkName = Utf8ToGbk(name);
    if (!gbkName) {
      bad("value name without a GBK form");
      continue;
    }
    if (data == "-") {
      if (current->values.erase(FoldCase(*gbkName))) dirty_ = true;
      continue;
    }
    if (!data.empty() && data[0] == '"') {
      size_t p = 0;
      std::optional<std::string> text = ReadQuoted(data, p);
      std::optional<std::string> gbk = text ? Utf8ToGbk(*text) : std::nullopt;
      if (!gbk || p != data.size()) {
        bad("malformed text value");
        continue;
      }
      if (!SetValue(*current, *gbkName, 1, *gbk)) bad("invalid value name");
    } else if (data.compare(0, 6, "dword:") == 0) {
      std::optional<uint32_t> d = ParseHexNumber(data.substr(6), 8);
      if (!d) {
        bad("malformed dword value");
        continue;
      }
      std::string bytes(4, '\0');
      for (int b = 0; b < 4; ++b) bytes[b] = static_cast<char>((*d >> (8 * b)) & 0xFF);
      if (!SetValue(*current, *gbkName, 4, bytes)) bad("invalid value name");
    } else if (data.compare(0, 3, "hex") == 0) {
      uint32_t type = 3;
      size_t colon = data.find(':');
      if (colon == std::string::npos) {
        bad("malformed hex value");
        continue;
      }
      if (colon != 3) {
        std::optional<uint32_t> t;
        if (data[3] == '(' && data[colon - 1] == ')') {
          t = ParseHexNumber(data.substr(4, colon - 5), 8);
        }
        if (!t) {
          bad("malformed hex type");
          continue;
        }
        type = *t;
      }
      std::optional<std::string> bytes = ParseHexList(data.substr(colon + 1));
      if (!bytes) {
        bad("malformed hex bytes");
        continue;
      }
      if (type == 1) {
        // Text stored as bytes: UTF-16 in version 5 files, ANSI in REGEDIT4 files.
        if (unicodeHex) {
          std::u16string w = FromUtf16LeBytes(*bytes);
          // The one terminator a writer adds; zero characters of the text itself stay.
          if (!w.empty() && w.back() == u'\0') w.pop_back();
          bytes = GbkFromUtf16(w);
        } else {
          bytes = bytes->substr(0, bytes->find('\0'));
        }
      }
      if (!SetValue(*current, *gbkName, type, *bytes)) bad("invalid value name");
    } else {
      bad("unknown value type");
    }
  }
  if (!headerSeen) bad("not a registry file");
  return complete && headerSeen;
}

}  // namespace sk::sandbox
