#include "CompressorQuality.h"

#include <cmath>
#include <limits>

int32_t QualityPercent(double quality) {
  const double percent = std::round(quality * 100.0);
  if (std::isnan(percent)) return 0;
  if (percent >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (percent <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(percent);
}

