// INI text as the sandbox's profile functions read it (component setup files). The first line
// names the section asked for; the rest is the file.
#include "fuzz/FuzzCommon.h"
#include "platform/sandbox/IniProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = sk::fuzz::Bytes(data, size);
  const size_t nl = bytes.find('\n');
  const std::string section = bytes.substr(0, nl);
  const std::string ini = nl == std::string::npos ? std::string() : bytes.substr(nl + 1);
  const std::vector<std::string> keys = sk::sandbox::IniKeys(ini, section);
  const auto pairs = sk::sandbox::IniSection(ini, section);
  if (pairs.size() != keys.size()) sk::fuzz::Broken("section and key list differ in length");
  for (size_t i = 0; i < keys.size(); ++i) {
    if (pairs[i].first != keys[i]) sk::fuzz::Broken("section and key list name other keys");
    if (sk::sandbox::IniValue(ini, section, keys[i]) != pairs[i].second)
      sk::fuzz::Broken("section value differs from the single read");
  }
  return 0;
}
