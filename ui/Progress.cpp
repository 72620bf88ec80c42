#include "ui/Progress.h"

#include <algorithm>
#include <limits>

namespace sk {

void GaugeState::SetMax(int64_t max) {
  MaxValue = std::max(max, MinValue);
  Progress = std::clamp(Progress, MinValue, MaxValue);
}

void GaugeState::SetProgress(int64_t progress) {
  Progress = std::clamp(progress, MinValue, MaxValue);
}

int GaugeState::PercentDone() const {
  // Differences are taken unsigned so that extreme ranges cannot overflow.
  const uint64_t range = static_cast<uint64_t>(MaxValue) - static_cast<uint64_t>(MinValue);
  if (range == 0) return 0;
  const uint64_t done = static_cast<uint64_t>(Progress) - static_cast<uint64_t>(MinValue);
  const uint64_t whole = done / range;  // 0 or 1, since done <= range
  const uint64_t rest = done % range;
  uint64_t part;
  if (rest <= std::numeric_limits<uint64_t>::max() / 100) {
    part = rest * 100 / range;
  } else {
    part = static_cast<uint64_t>(static_cast<long double>(rest) * 100 / range);
  }
  return static_cast<int>(std::min<uint64_t>(whole * 100 + part, 100));
}

BarRange ScaleForBar(int64_t position, int64_t total) {
  if (total <= 0) return {};
  position = std::clamp<int64_t>(position, 0, total);
  int shift = 0;
  while ((total >> shift) > std::numeric_limits<int32_t>::max()) ++shift;
  return {static_cast<int32_t>(total >> shift), static_cast<int32_t>(position >> shift)};
}

}  // namespace sk
