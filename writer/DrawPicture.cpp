#include "writer/DrawPicture.h"

#include <memory>

#include "platform/gdi/MulDiv.h"
#include "platform/imaging/BmpLoader.h"
#include "platform/imaging/JpegLoader.h"
#include "platform/text/Utf8.h"

namespace {

struct Placement {
  int x = 0, y = 0, w = 0, h = 0;
};

// Where a picture of bw x bh goes in a rect of rw x rh.
Placement Fit(int bw, int bh, int rw, int rh) {
  const int fitW = MulDiv(rh, bw, bh);
  const int fitH = MulDiv(rw, bh, bw);
  Placement p;
  if (rw >= fitW) {  // bands left and right
    p.x = (rw - fitW) / 2;
    p.y = 0;
    p.w = fitW;
    p.h = rh;
  }
  if (rh >= fitH) {  // bands above and below; decides when both fit
    p.x = 0;
    p.y = (rh - fitH) / 2;
    p.w = rw;
    p.h = fitH;
  }
  // A picture that keeps its width is still stretched, by one column.
  if (p.w == bw) p.w = p.w + 1;
  return p;
}

// The picture, and its own size: a JPEG at least twice as large as its place is
// decoded at a reduced scale that still covers the place (the stretch then samples a
// picture that the decoder averaged, not one it has to skip pixels of).
ScaledJpeg LoadPicture(const std::string& fileName, int rw, int rh, JpegDecoding decoding) {
  const bool jpeg = EndsWithIgnoringAsciiCase(fileName, ".jpg");
  ScaledJpeg picture;
  if (jpeg && decoding == JpegDecoding::Reduced)
    return LoadJpegFileCovering(fileName, [&](int bw, int bh) {
      const Placement p = Fit(bw, bh, rw, rh);
      return std::pair{p.w, p.h};
    });
  if (jpeg) picture.bitmap = LoadJpegFile(fileName);
  if (EndsWithIgnoringAsciiCase(fileName, ".bmp")) picture.bitmap = LoadBmpFile(fileName);
  if (picture.bitmap) {
    picture.width = picture.bitmap->width();
    picture.height = picture.bitmap->height();
  }
  return picture;
}

}  // namespace

void DrawPicture(const std::string& fileName, TColor bkColor, HBITMAP target, const TRect& rect,
                 JpegDecoding decoding) {
  const int rw = rect.Right - rect.Left;
  const int rh = rect.Bottom - rect.Top;
  const ScaledJpeg picture = LoadPicture(fileName, rw, rh, decoding);
  FillRect(target, rect, bkColor);
  if (!picture.bitmap) return;
  const Placement p = Fit(picture.width, picture.height, rw, rh);
  StretchBlt(target, p.x, p.y, p.w, p.h, picture.bitmap.get(), 0, 0, picture.bitmap->width(),
             picture.bitmap->height());
}

void RenderToDIB(const std::string& fileName, TColor bkColor, uint8_t* bits, const BITMAPINFO& header,
                 JpegDecoding decoding) {
  std::unique_ptr<Bitmap> frame = CreateDIBSection(header);
  if (!frame) return;
  DrawPicture(fileName, bkColor, frame.get(), TRect{0, 0, frame->width(), frame->height()}, decoding);
  GetDIBits(frame.get(), 0, frame->height(), bits, header);
}
