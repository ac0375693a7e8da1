// Moving pictures between our device-independent bitmaps and Qt's images.
#pragma once

#include <QImage>
#include <memory>

#include "platform/gdi/Bitmap.h"

QImage ImageFromBitmap(const Bitmap& bitmap);
// An empty bitmap (1 x 1, black) when the image is null, as a missing resource gives.
std::unique_ptr<Bitmap> BitmapFromImage(const QImage& image);
// A 24-bit bitmap of frame stretched to width x height (colour-on-colour).
std::unique_ptr<Bitmap> StretchedCopy(const Bitmap& frame, int width, int height);
