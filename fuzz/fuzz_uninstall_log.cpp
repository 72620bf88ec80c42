// The uninstall log file: pieces of zlib streams holding the record body. A log that loads
// saves to bytes that load to the same records.
#include "engine/UninstallRecorder.h"
#include "fuzz/FuzzCommon.h"
#include "platform/NullPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::NullPlatform platform;
  sk::UninstallRecorder log(platform);
  if (!sk::fuzz::Accepts([&] { log.LoadFromBytes(sk::fuzz::Bytes(data, size), "fuzz"); })) return 0;
  sk::UninstallRecorder again(platform);
  again.LoadFromBytes(log.SaveToBytes(), "saved");
  if (again.Records() != log.Records() || again.ProductName() != log.ProductName() ||
      again.UninstallKey() != log.UninstallKey())
    sk::fuzz::Broken("a saved log reads back different");
  return 0;
}
