// Shell-link (.lnk) bytes. A link that parses and can be written again parses back, and from
// then on writing and reading it changes nothing (the first trip may replace characters that
// have no GBK form).
#include "fuzz/FuzzCommon.h"
#include "platform/LnkFormat.h"

namespace {

bool Same(const sk::ShellLinkInfo& a, const sk::ShellLinkInfo& b) {
  return a.target == b.target && a.arguments == b.arguments && a.workingDir == b.workingDir &&
         a.description == b.description && a.iconPath == b.iconPath && a.iconIndex == b.iconIndex &&
         a.showCommand == b.showCommand;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::ShellLinkInfo link;
  if (!sk::fuzz::Accepts([&] { link = sk::ParseShellLink(sk::fuzz::Bytes(data, size)); })) return 0;
  std::string bytes;
  if (!sk::fuzz::Accepts([&] { bytes = sk::BuildShellLink(link); })) return 0;
  sk::ShellLinkInfo once, twice;
  if (!sk::fuzz::Accepts([&] { once = sk::ParseShellLink(bytes); }))
    sk::fuzz::Broken("a written link does not parse");
  if (!sk::fuzz::Accepts([&] { twice = sk::ParseShellLink(sk::BuildShellLink(once)); }))
    sk::fuzz::Broken("a link written twice does not parse");
  if (!Same(once, twice)) sk::fuzz::Broken("a written link reads back different");
  return 0;
}
