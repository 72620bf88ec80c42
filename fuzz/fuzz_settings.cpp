// The inflated settings stream on its own (records, lists, per-record hooks), then the
// evaluation of the options the settings hold.
#include "fuzz/FuzzCommon.h"
#include "package/Compile.h"
#include "platform/NullPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::NullPlatform platform;
  sk::TCompile model(platform);
  if (sk::fuzz::Accepts([&] { model.ParseSettings(sk::fuzz::Bytes(data, size)); })) {
    sk::fuzz::Accepts([&] {
      model.CalcTotalSize();
      model.EvaluateOptions();
    });
  }
  return 0;
}
