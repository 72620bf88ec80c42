// A .reg file applied by a started "regedit /s" (REGEDIT4 in GBK, version 5 in UTF-16 or
// UTF-8). Whatever an import leaves in the registry must be written to registry.reg so that
// the next start of the machine reads it back unchanged.
#include "fuzz/FuzzCommon.h"
#include "platform/sandbox/SandboxRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::sandbox::SandboxRegistry registry;
  registry.ApplyRegFile(sk::fuzz::Bytes(data, size));
  const std::string text = registry.ToText();
  sk::sandbox::SandboxRegistry loaded;
  if (!sk::fuzz::Accepts([&] { loaded.LoadText(text, "registry.reg"); }))
    sk::fuzz::Broken("registry.reg written after an import does not load");
  if (loaded.ToText() != text) sk::fuzz::Broken("registry.reg does not read back the same");
  return 0;
}
