// Typed access to a parsed TOML document with errors that name the file and line: every
// wrong type, missing key, unknown key or out-of-range number ends the read with ManifestError
// "<display name>:<line>: <message>" (GBK, like every sk::Error).
//
// The reader owns the parsed document; tables and nodes it hands out live as long as it does.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "tools/setupkit/TomlLibrary.h"

namespace sk::cli {

class TomlReader {
 public:
  explicit TomlReader(std::string display) : display_(std::move(display)) {}

  // Parses `text`; a syntax error, text that is not UTF-8 or a character the TOML library
  // cannot read safely (TomlTextCheck.h) fails at its line.
  void Parse(const std::string& text);
  const toml::table& root() const { return root_; }

  [[noreturn]] void Fail(int64_t line, const std::string& utf8) const;
  static int64_t Line(const toml::node& n) { return n.source().begin.line; }
  // The line of `key` in `t`, or of the table itself when the key is absent.
  static int64_t LineOf(const toml::table& t, std::string_view key);

  // UTF-8 text as GBK; a character GBK cannot hold fails at `line` naming `what`.
  std::string Gbk(const std::string& utf8, int64_t line, const std::string& what) const;

  // Fails at the first key of `t` that is not in `allowed`.
  void Keys(const toml::table& t, std::initializer_list<std::string_view> allowed,
            const std::string& where) const;
  void Keys(const toml::table& t, const std::vector<std::string_view>& allowed,
            const std::string& where) const;
  std::optional<std::string> Str(const toml::table& t, std::string_view key) const;
  std::string ReqStr(const toml::table& t, std::string_view key, const std::string& where) const;
  std::optional<bool> Bool(const toml::table& t, std::string_view key) const;
  std::optional<int64_t> Int(const toml::table& t, std::string_view key, int64_t lo,
                             int64_t hi) const;
  // An array of strings; empty when absent.
  std::vector<std::string> StrList(const toml::table& t, std::string_view key) const;
  // The tables of a top-level array of tables ([[name]]); empty when absent.
  std::vector<const toml::table*> Tables(std::string_view key) const;
  // A top-level table ([name]); nullptr when absent.
  const toml::table* Table(std::string_view key) const;

 private:
  // Throws ManifestError with `msg` (UTF-8) in GBK; characters GBK lacks become "?".
  [[noreturn]] void Throw(const std::string& msg) const;

  std::string display_;
  toml::table root_;
};

}  // namespace sk::cli
