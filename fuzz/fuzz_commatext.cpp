// Comma text: any bytes parse, and what the writer makes of the parsed items parses back to
// the same items.
#include <vector>

#include "fuzz/FuzzCommon.h"
#include "package/Container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> items;
  if (!sk::fuzz::Accepts([&] { items = sk::ParseCommaText(sk::fuzz::Bytes(data, size)); }))
    return 0;
  if (sk::ParseCommaText(sk::WriteCommaText(items)) != items)
    sk::fuzz::Broken("written comma text reads back different");
  return 0;
}
