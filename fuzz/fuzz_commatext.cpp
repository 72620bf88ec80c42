// Comma text: any bytes parse, what the writer makes of the parsed items parses back to the same
// items, and the parse against a budget gives the same items when they fit and nothing when one
// more than the budget is there.
#include <vector>

#include "fuzz/FuzzCommon.h"
#include "package/Container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = sk::fuzz::Bytes(data, size);
  std::vector<std::string> items;
  if (!sk::fuzz::Accepts([&] { items = sk::ParseCommaText(text); })) return 0;
  if (sk::ParseCommaText(sk::WriteCommaText(items)) != items)
    sk::fuzz::Broken("written comma text reads back different");
  if (sk::ParseCommaTextAtMost(text, items.size()) != items)
    sk::fuzz::Broken("the items within the budget differ");
  if (!items.empty() && sk::ParseCommaTextAtMost(text, items.size() - 1))
    sk::fuzz::Broken("more items than the budget were accepted");
  return 0;
}
