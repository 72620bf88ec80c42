// libFuzzer target for the package reader: the input is a whole setup file (trailer, settings
// block, chunks), then the same bytes as an inflated settings stream and as comma text. Any
// outcome other than success or sk::Error (a crash, a sanitizer report, a hang) is a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "package/Compile.h"
#include "package/Container.h"
#include "tests/support/PackageBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  sk::test::NullPlatform platform;
  try {
    sk::TCompile model(platform);
    sk::test::StringInputStream in(bytes);
    model.LoadPackageFrom(in);
  } catch (const sk::Error&) {
  }
  try {
    sk::TCompile model(platform);
    model.ParseSettings(bytes);
  } catch (const sk::Error&) {
  }
  (void)sk::ParseCommaText(bytes);
  return 0;
}
