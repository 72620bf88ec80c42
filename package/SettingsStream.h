// The settings stream of a package: the model's lists and product identifier as the bytes that
// the settings block holds (inflated). TPackage::ParseSettings (Compile.h) reads this layout;
// SerializeSettings writes it, and both live in SettingsStream.cpp.
//
// Errors: SerializeSettings throws sk::Error when a list holds more records than an Int32 count
// can say. ParseSettings refuses a stream holding more than kMaxSettingsRecords records and
// list items in all.
#pragma once

#include <cstddef>
#include <string>

#include "package/Compile.h"

namespace sk {

// The most records and list items a settings stream may hold, all kinds counted together
// (settings, the three folder lists, file items, registry values, shortcuts, component
// packages). A record takes ten or more times its bytes in the stream once parsed (an empty
// setting: 9 bytes of stream, about 100 bytes of memory), and a stream of empty records
// compresses to almost nothing, so without this bound a file of a few hundred kilobytes could
// ask for gigabytes. A million is far above any real package and keeps the parsed lists near
// 250 MB at worst.
constexpr size_t kMaxSettingsRecords = 1000000;

// Serialises the settings stream (sections 1-9) of a model exactly as a reader parses it.
std::string SerializeSettings(const TPackage& package);

}  // namespace sk
