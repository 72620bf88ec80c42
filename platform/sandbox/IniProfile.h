// Reading INI text with the semantics of the Windows profile functions, for the sandbox
// machine: section and key names compare without regard to ASCII case (GBK-aware), the first
// matching section and key win, names and values are trimmed of blanks, and a value enclosed
// in a matching pair of double or single quotes loses them. Comment lines (";") and lines
// without "=" are not keys.
//
// Input: the INI file's bytes (GBK). Pure functions, no state; malformed text never fails, it
// is read as far as it makes sense, as Windows does.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sk::sandbox {

// Key names of the first section named `section`, in file order (duplicates included).
std::vector<std::string> IniKeys(const std::string& ini, const std::string& section);
// The value of the first key named `key` in the first section named `section`.
std::optional<std::string> IniValue(const std::string& ini, const std::string& section,
                                    const std::string& key);
// Every key of the first section named `section` in file order, each with the value IniValue
// gives for it (a repeated key repeats the value of its first line), in one pass over the text.
std::vector<std::pair<std::string, std::string>> IniSection(const std::string& ini,
                                                            const std::string& section);

}  // namespace sk::sandbox
