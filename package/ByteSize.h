// Byte counts read from a package (the trailer's Size, file and component sizes): which ones can
// be real, and sums that cannot overflow.
//
// Sizes come from untrusted bytes, so any Int64 may arrive. A real size is never negative and
// never beyond kMaxByteSize (4 EiB, more than any disk holds); the integrity pass refuses the
// others. Sums of sizes that may still be anything (a model loaded without the pass, many
// large items) saturate at the ends of the Int64 range instead of wrapping to a wrong sign.
#pragma once

#include <cstdint>
#include <limits>

namespace sk {

constexpr int64_t kMaxByteSize = int64_t{1} << 62;

constexpr bool PossibleByteSize(int64_t n) {
  return n >= 0 && n <= kMaxByteSize;
}

// a + b, or the end of the Int64 range it would pass.
constexpr int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

}  // namespace sk
