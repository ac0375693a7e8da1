// Compressor quality is held as a fraction and stored and shown as a whole percent.
#pragma once

#include <cstdint>

// The whole number nearest to quality x 100, halves away from zero, within 32 bits.
int32_t QualityPercent(double quality);

// A whole percent read back as a fraction.
inline double QualityFromPercent(int32_t percent) { return percent * 0.01; }
