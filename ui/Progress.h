// Arithmetic of the progress displays, kept apart from the controls so it can be tested.
//
// GaugeState: the percentage gauge of the no-options window (range MinValue..MaxValue,
// Progress clamped into it, percentage truncated, 0 when the range is empty). Values are
// 64-bit; nothing overflows for any input.
// ScaleForBar: maps a position/total of any size onto the 32-bit range of a progress bar while
// keeping their ratio.
#pragma once

#include <cstdint>

namespace sk {

struct GaugeState {
  int64_t MinValue = 0;
  int64_t MaxValue = 100;
  int64_t Progress = 0;

  // A maximum below the minimum is raised to it; the progress is clamped into the new range.
  void SetMax(int64_t max);
  void SetProgress(int64_t progress);
  int PercentDone() const;  // 0..100, truncated
};

struct BarRange {
  int32_t max = 0;
  int32_t position = 0;
};

// Negative totals count as 0; the position is clamped to [0, total].
BarRange ScaleForBar(int64_t position, int64_t total);

}  // namespace sk
