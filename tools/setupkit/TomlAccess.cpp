#include "tools/setupkit/TomlAccess.h"

#include <algorithm>

#include "platform/Encoding.h"
#include "tools/setupkit/Manifest.h"
#include "tools/setupkit/TomlTextCheck.h"

namespace sk::cli {

void TomlReader::Parse(const std::string& text) {
  // Characters the library cannot test safely never reach it (TomlTextCheck.h).
  if (const auto fault = FindTomlTextFault(text)) Fail(fault->line, fault->reason);
  try {
    root_ = toml::parse(text, display_);
  } catch (const toml::parse_error& e) {
    Fail(e.source().begin.line, std::string(e.description()));
  } catch (const TomlCheckFailed& e) {
    // The library does not say where it stopped.
    Throw(display_ + ": the TOML reader met text it does not expect (" + e.what() + ")");
  }
}

void TomlReader::Fail(int64_t line, const std::string& utf8) const {
  Throw(display_ + ":" + std::to_string(line) + ": " + utf8);
}

void TomlReader::Throw(const std::string& msg) const {
  auto gbk = Utf8ToGbk(msg);
  if (!gbk) {
    std::string ascii;
    for (unsigned char c : msg) ascii += c < 0x80 ? static_cast<char>(c) : '?';
    gbk = ascii;
  }
  throw ManifestError(*gbk);
}

int64_t TomlReader::LineOf(const toml::table& t, std::string_view key) {
  const toml::node* n = t.get(key);
  return n ? Line(*n) : Line(t);
}

std::string TomlReader::Gbk(const std::string& utf8, int64_t line, const std::string& what) const {
  auto gbk = Utf8ToGbk(utf8);
  if (!gbk) Fail(line, what + " holds a character that GBK cannot represent");
  return *gbk;
}

void TomlReader::Keys(const toml::table& t, std::initializer_list<std::string_view> allowed,
                      const std::string& where) const {
  Keys(t, std::vector<std::string_view>(allowed), where);
}

void TomlReader::Keys(const toml::table& t, const std::vector<std::string_view>& allowed,
                      const std::string& where) const {
  for (auto&& [k, v] : t) {
    if (std::find(allowed.begin(), allowed.end(), k.str()) == allowed.end())
      Fail(Line(v), "unknown key '" + std::string(k.str()) + "' in " + where);
  }
}

std::optional<std::string> TomlReader::Str(const toml::table& t, std::string_view key) const {
  const toml::node* n = t.get(key);
  if (!n) return std::nullopt;
  if (!n->is_string()) Fail(Line(*n), "'" + std::string(key) + "' must be a string");
  return n->as_string()->get();
}

std::string TomlReader::ReqStr(const toml::table& t, std::string_view key,
                               const std::string& where) const {
  auto s = Str(t, key);
  if (!s) Fail(Line(t), where + " needs '" + std::string(key) + "'");
  return *s;
}

std::optional<bool> TomlReader::Bool(const toml::table& t, std::string_view key) const {
  const toml::node* n = t.get(key);
  if (!n) return std::nullopt;
  if (!n->is_boolean()) Fail(Line(*n), "'" + std::string(key) + "' must be true or false");
  return n->as_boolean()->get();
}

std::optional<int64_t> TomlReader::Int(const toml::table& t, std::string_view key, int64_t lo,
                                       int64_t hi) const {
  const toml::node* n = t.get(key);
  if (!n) return std::nullopt;
  if (!n->is_integer()) Fail(Line(*n), "'" + std::string(key) + "' must be an integer");
  int64_t v = n->as_integer()->get();
  if (v < lo || v > hi)
    Fail(Line(*n), "'" + std::string(key) + "' must lie between " + std::to_string(lo) + " and " +
                       std::to_string(hi));
  return v;
}

std::vector<std::string> TomlReader::StrList(const toml::table& t, std::string_view key) const {
  std::vector<std::string> out;
  const toml::node* n = t.get(key);
  if (!n) return out;
  const toml::array* a = n->as_array();
  if (!a) Fail(Line(*n), "'" + std::string(key) + "' must be an array of strings");
  for (const auto& e : *a) {
    if (!e.is_string()) Fail(Line(e), "'" + std::string(key) + "' must hold strings");
    out.push_back(e.as_string()->get());
  }
  return out;
}

std::vector<const toml::table*> TomlReader::Tables(std::string_view key) const {
  std::vector<const toml::table*> out;
  const toml::node* n = root_.get(key);
  if (!n) return out;
  const toml::array* a = n->as_array();
  if (!a)
    Fail(Line(*n), "'" + std::string(key) + "' must be written as [[" + std::string(key) + "]]");
  for (const auto& e : *a) {
    if (!e.is_table()) Fail(Line(e), "'" + std::string(key) + "' must hold tables");
    out.push_back(e.as_table());
  }
  return out;
}

const toml::table* TomlReader::Table(std::string_view key) const {
  const toml::node* n = root_.get(key);
  if (!n) return nullptr;
  if (!n->is_table())
    Fail(Line(*n), "'" + std::string(key) + "' must be a table [" + std::string(key) + "]");
  return n->as_table();
}

}  // namespace sk::cli
