// The whole setup file: trailer, settings block, then every data region the settings name,
// inflated without being kept.
#include "fuzz/FuzzCommon.h"
#include "package/Compile.h"
#include "package/Container.h"
#include "tests/support/PackageBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::test::NullPlatform platform;
  sk::TCompile model(platform);
  sk::test::StringInputStream in(sk::fuzz::Bytes(data, size));
  if (!sk::fuzz::Accepts([&] { model.LoadPackageFrom(in); })) return 0;
  for (const auto& item : model.FileList()) {
    sk::fuzz::Accepts([&] {
      uint64_t total = 0;
      sk::ExtractRegion(
          in, [&](const char*, size_t n) { total += n; }, item->DataStart, item->DataEnd);
    });
  }
  return 0;
}
