// A check of manifest text before the TOML library parses it, so that the library never meets
// a character that it cannot test safely.
//
// The library's blank test, given a code point of U+00A1-U+0499, U+2C5E-U+3057 (but U+3000) or
// U+FB26-U+FEFE, reaches a branch its authors marked unreachable: undefined behaviour. It runs
// that test on every character outside strings and comments; on the characters of a bare value
// (number, date, boolean), quotes included, up to the first blank, ",", "]", "}" or "#"; on the
// character after a backslash in a multi-line basic string; and there on the characters after a
// line-ending backslash up to the first one that is not blank.
//
// FindTomlTextFault reads the text as the library does (strings with their escapes and closing
// quote runs, comments, keys, bare values, arrays and inline tables) and returns the first of:
// - bytes that are not UTF-8 (a byte-order mark at the start is allowed; the library skips it);
// - a character outside ASCII outside strings and comments, never valid TOML there;
// - a character of the ranges above at a place in a string where the library tests it;
// - tables, dotted keys, arrays and inline tables nested deeper than kMaxTomlDepth levels
//   (the library reads and frees them recursively: a deep enough text overflows the stack).
// Text it passes may still be invalid TOML; the library then reports the fault.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sk::cli {

inline constexpr int kMaxTomlDepth = 100;

struct TomlTextFault {
  int64_t line = 0;    // 1-based
  std::string reason;  // ASCII
};

std::optional<TomlTextFault> FindTomlTextFault(std::string_view text);

}  // namespace sk::cli
