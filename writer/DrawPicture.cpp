#include "writer/DrawPicture.h"

#include <memory>

#include "platform/gdi/MulDiv.h"
#include "platform/imaging/BmpLoader.h"
#include "platform/imaging/JpegLoader.h"
#include "platform/text/Utf8.h"

namespace {

std::unique_ptr<Bitmap> LoadPicture(const std::string& fileName) {
  if (HasExtension(fileName, ".jpg")) return LoadJpegFile(fileName);
  if (HasExtension(fileName, ".bmp")) return LoadBmpFile(fileName);
  return nullptr;
}

}  // namespace

void DrawPicture(const std::string& fileName, TColor bkColor, HBITMAP target, const TRect& rect) {
  const std::unique_ptr<Bitmap> picture = LoadPicture(fileName);
  FillRect(target, rect, bkColor);
  if (!picture) return;

  const int bw = picture->width();
  const int bh = picture->height();
  const int rw = rect.Right - rect.Left;
  const int rh = rect.Bottom - rect.Top;
  const int fitW = MulDiv(rh, bw, bh);
  const int fitH = MulDiv(rw, bh, bw);
  int x = 0, y = 0, w = 0, h = 0;
  if (rw >= fitW) {  // bands left and right
    x = (rw - fitW) / 2;
    y = 0;
    w = fitW;
    h = rh;
  }
  if (rh >= fitH) {  // bands above and below; decides when both fit
    x = 0;
    y = (rh - fitH) / 2;
    w = rw;
    h = fitH;
  }
  // A picture that keeps its width is still stretched, by one column.
  if (w == bw) w = w + 1;
  StretchBlt(target, x, y, w, h, picture.get(), 0, 0, bw, bh);
}

void RenderToDIB(const std::string& fileName, TColor bkColor, uint8_t* bits, const BITMAPINFO& header) {
  std::unique_ptr<Bitmap> frame = CreateDIBSection(header);
  if (!frame) return;
  DrawPicture(fileName, bkColor, frame.get(), TRect{0, 0, frame->width(), frame->height()});
  GetDIBits(frame.get(), 0, frame->height(), bits, header);
}
