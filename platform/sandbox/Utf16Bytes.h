// UTF-16LE byte strings (as stored in .lnk and .reg files) to and from GBK model text.
// Pure functions; conversion never fails: characters without a GBK form become "?", as the
// ANSI Windows calls show them, and an odd trailing byte is ignored.
#pragma once

#include <string>

namespace sk::sandbox {

std::string Utf16LeBytes(const std::u16string& text);
std::u16string FromUtf16LeBytes(const std::string& bytes);
std::string GbkFromUtf16(const std::u16string& text);

}  // namespace sk::sandbox
