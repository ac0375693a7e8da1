#include "BitmapImage.h"

#include <cstring>

QImage ImageFromBitmap(const Bitmap& bitmap) {
  QImage image(bitmap.width(), bitmap.height(), QImage::Format_BGR888);
  for (int y = 0; y < bitmap.height(); ++y) {
    std::memcpy(image.scanLine(y), bitmap.scanLine(y), static_cast<size_t>(bitmap.width()) * 3);
  }
  return image;
}

std::unique_ptr<Bitmap> BitmapFromImage(const QImage& image) {
  if (image.isNull()) return std::make_unique<Bitmap>(1, 1);
  const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
  auto bitmap = std::make_unique<Bitmap>(bgr.width(), bgr.height());
  for (int y = 0; y < bgr.height(); ++y) {
    std::memcpy(bitmap->scanLine(y), bgr.constScanLine(y), static_cast<size_t>(bgr.width()) * 3);
  }
  return bitmap;
}

std::unique_ptr<Bitmap> StretchedCopy(const Bitmap& frame, int width, int height) {
  auto copy = std::make_unique<Bitmap>(width, height);
  StretchBlt(copy.get(), 0, 0, width, height, const_cast<Bitmap*>(&frame), 0, 0, frame.width(), frame.height());
  return copy;
}
