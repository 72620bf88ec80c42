// The whole setup file: the integrity pass, then the load (trailer, settings block) and every
// data region the settings name, inflated without being kept.
//
// Property: a file the integrity pass finds sound loads, and every item's region (folders
// carry none) inflates to exactly its UncompressedSize — the install that follows a passed
// check can never stop half-way on the package's own bytes.
#include <optional>

#include "fuzz/FuzzCommon.h"
#include "package/Compile.h"
#include "package/Container.h"
#include "package/Integrity.h"
#include "tests/support/PackageBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = sk::fuzz::Bytes(data, size);
  sk::test::NullPlatform platform;

  std::optional<sk::IntegrityFault> fault;
  bool sound = false;
  {
    sk::TCompile scratch(platform);
    sk::test::StringInputStream in(bytes);
    sound = sk::fuzz::Accepts([&] { fault = sk::CheckPackage(in, scratch); }) && !fault;
  }

  sk::TCompile model(platform);
  sk::test::StringInputStream in(bytes);
  if (!sk::fuzz::Accepts([&] { model.LoadPackageFrom(in); })) {
    if (sound) sk::fuzz::Broken("a package that passed the check does not load");
    return 0;
  }
  for (const auto& item : model.Package().FileList()) {
    uint64_t total = 0;
    const bool read = sk::fuzz::Accepts([&] {
      sk::ExtractRegion(
          in, [&](const char*, size_t n) { total += n; }, item->DataStart, item->DataEnd);
    });
    if (sound && item->Kind != sk::kind::Folder &&
        (!read || total != static_cast<uint64_t>(item->UncompressedSize)))
      sk::fuzz::Broken("an item of a package that passed the check does not read back whole");
  }
  return 0;
}
