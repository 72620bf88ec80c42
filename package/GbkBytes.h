// Byte-level helpers for GBK (code page 936) text, internal to the package library.
//
// A GBK double-byte character is a lead byte 0x81-0xFE followed by a trail byte 0x40-0xFE
// (0x7F excluded). Trail bytes may equal "\" (0x5C) or ASCII letters, so scanners that look for
// single-byte delimiters or fold ASCII case must step over a double-byte character as a unit.
// A lead byte not followed by a valid trail byte counts as one single byte (invalid text never
// makes a scanner skip a delimiter or read past the end).
#pragma once

#include <cstddef>
#include <string>

namespace sk::gbk {

inline bool IsLead(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}
inline bool IsTrail(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// Length in bytes (1 or 2) of the character starting at s[i]; i must be < s.size().
inline size_t CharLen(const std::string& s, size_t i) {
  if (IsLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
      IsTrail(static_cast<unsigned char>(s[i + 1])))
    return 2;
  return 1;
}

}  // namespace sk::gbk
