#include "platform/imaging/ImageGlobals.h"

uint16_t ImageColorDepth = 24;
HPALETTE ImagePalette = nullptr;
