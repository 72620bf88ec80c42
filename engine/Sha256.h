// SHA-256 of a byte string, as lower-case hex: the digest that ties an uninstall log to the
// Uninstall entry written by the same install.
//
// Input: any bytes (std::string used as a byte buffer). Output: 64 hex digits. Never throws
// beyond std::bad_alloc for the result string; the input is read once, front to back.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sk {

// The 32-byte digest of `data`.
std::array<uint8_t, 32> Sha256(std::string_view data);

// The digest of `data` as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view data);

}  // namespace sk
