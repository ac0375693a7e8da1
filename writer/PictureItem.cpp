#include "writer/PictureItem.h"

#include "writer/DrawPicture.h"

TPictureItem::TPictureItem(const std::string& fileName, TColor bkColor)
    : FileName(fileName), BkColor(bkColor), Preview(std::make_unique<Bitmap>(320, 240)) {
  DrawPicture(Preview.get(), TRect{0, 0, Preview->width(), Preview->height()});
}

TPictureItem::~TPictureItem() = default;

void TPictureItem::DrawPicture(HBITMAP target, const TRect& rect) const {
  ::DrawPicture(FileName, BkColor, target, rect);
}

void TPictureItem::RenderToDIB(uint8_t* bits, const BITMAPINFO& header) const {
  ::RenderToDIB(FileName, BkColor, bits, header);
}
