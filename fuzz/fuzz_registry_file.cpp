// registry.reg as the sandbox machine loads it at start (strict: a malformed file is refused).
// A file that loads is written back in a form that loads to the same text.
#include "fuzz/FuzzCommon.h"
#include "platform/sandbox/SandboxRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::sandbox::SandboxRegistry registry;
  if (!sk::fuzz::Accepts([&] { registry.LoadText(sk::fuzz::Bytes(data, size), "fuzz"); })) return 0;
  const std::string text = registry.ToText();
  sk::sandbox::SandboxRegistry again;
  if (!sk::fuzz::Accepts([&] { again.LoadText(text, "registry.reg"); }))
    sk::fuzz::Broken("registry.reg written from a loaded file does not load");
  if (again.ToText() != text) sk::fuzz::Broken("registry.reg does not read back the same");
  return 0;
}
