// GBK (code page 936) <-> UTF-8 / UTF-16 conversion, used only at boundaries: the Win32 layer
// (UTF-16 W APIs), the sandbox (UTF-8 host names), the CLI (UTF-8 terminal, JSON, manifests).
// Natively this uses iconv ("GBK"); on Windows MultiByteToWideChar with code page 936.
//
// Errors: Utf8ToGbk returns std::nullopt when a character has no GBK form; GbkToUtf8 maps an
// invalid GBK byte sequence to U+FFFD rather than failing (package texts are untrusted).
#pragma once

#include <optional>
#include <string>

namespace sk {

std::string GbkToUtf8(const std::string& gbk);
std::optional<std::string> Utf8ToGbk(const std::string& utf8);
std::u16string GbkToUtf16(const std::string& gbk);
std::optional<std::string> Utf16ToGbk(const std::u16string& utf16);

}  // namespace sk
