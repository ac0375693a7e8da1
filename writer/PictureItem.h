// One entry of the slide show: a picture file with its transition, display time and
// background colour, and a 320 x 240 preview of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/BitmapInfo.h"

class TPictureItem {
 public:
  // Stores the name and colour and draws the preview.
  TPictureItem(const std::string& fileName, TColor bkColor);
  virtual ~TPictureItem();
  TPictureItem(const TPictureItem&) = delete;
  TPictureItem& operator=(const TPictureItem&) = delete;

  std::string FileName;
  int32_t Transition = 0;
  int32_t DisplayTime = 10;
  TColor BkColor;
  std::unique_ptr<Bitmap> Preview;

  // This entry's picture letter-boxed on BkColor into rect of target.
  void DrawPicture(HBITMAP target, const TRect& rect) const;
  // This entry's picture letter-boxed into frame bits of header's format.
  void RenderToDIB(uint8_t* bits, const BITMAPINFO& header) const;
};
