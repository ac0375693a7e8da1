// The two globals that every picture load shares.
#pragma once

#include <cstdint>

// A palette handle. Pictures are always loaded as 24-bit bitmaps, whatever depth is
// asked for, so the loaders never make a palette: the handle stays null and exists
// only for the code that hands it on or frees it.
struct Palette;
using HPALETTE = Palette*;

// The colour depth that loads are asked for: the screen's planes times bits per
// pixel, 24 for every screen of 16 bits or more. Depths below 16 are accepted and
// kept, but the loaders still deliver full 24-bit colour.
extern uint16_t ImageColorDepth;

// The palette left by the last load; null (see HPALETTE).
extern HPALETTE ImagePalette;
