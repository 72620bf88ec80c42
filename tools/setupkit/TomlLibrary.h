// The TOML library as this program includes it: with its internal checks kept as checks in
// every build.
//
// The library states what it expects at many points with assertions that, in a build without
// assertions (NDEBUG, every release build), it hands to the optimiser as assumptions. Some of
// them text can break (a table header "[@]" reaches its key reader with a character no key
// begins with), and a broken assumption is undefined behaviour. Included through this header,
// a failed check throws TomlCheckFailed instead; TomlReader turns it into a manifest error.
// A check inside one of the library's noexcept functions ends the program (std::terminate),
// which is still defined; those guard the library's own state, not the text.
//
// Include the library only through this header, so that every translation unit sees the same
// definitions of its inline functions.
#pragma once

#include <stdexcept>

namespace sk::cli {

class TomlCheckFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

[[noreturn]] inline void TomlCheckFails(const char* expression) {
  throw TomlCheckFailed(expression);
}

}  // namespace sk::cli

#ifdef NDEBUG
#define SK_TOML_RESTORE_NDEBUG
#undef NDEBUG
#endif
#define TOML_ASSERT(expr) ((expr) ? static_cast<void>(0) : ::sk::cli::TomlCheckFails(#expr))
#include <toml++/toml.h>
#ifdef SK_TOML_RESTORE_NDEBUG
#define NDEBUG
#undef SK_TOML_RESTORE_NDEBUG
#endif
