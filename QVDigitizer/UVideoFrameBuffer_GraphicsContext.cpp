#include "UVideoFrameBuffer_GraphicsContext.h"

#include <algorithm>

namespace UVideoFrameBuffer {

GraphicsContext::~GraphicsContext() { Destruct(); }

void GraphicsContext::Destruct() {
  DestructData();
  mBitmap.Destruct();
}

void GraphicsContext::SetDefaultDrawTextProperties() {
  const CGFloat fill[4] = {0.1, 0.1, 0.1, 1.0}, background[4] = {0.05, 0.05, 0.05, 1.0};
  std::copy(fill, fill + 4, mFillColor);
  std::copy(background, background + 4, mBackgroundColor);
  SetFontName(CFSTR("Gill Sans"));
}

bool GraphicsContext::Construct(CGSize size) {
  Destruct();
  const Format format(int(size.width), int(size.height), kPixelFormatARGB, 0);
  if (format.mPixelWidth <= 0 || format.mPixelHeight <= 0) return false;
  if (!TryLockFrameBuffer()) return false;
  bool built = mBitmap.Construct(format.mPixelWidth, format.mPixelHeight, CoreGraphics::kBitmapTypeARGB,
                                 (unsigned long)format.mPixelRowBytes, nullptr) &&
               ConstructData(format, mBitmap.GetImageDataBytes(), mBitmap.GetImageDataSize());
  UnlockFrameBuffer();
  if (!built) {
    Destruct();
    return false;
  }
  SetDefaultDrawTextProperties();
  EraseBackground();
  return true;
}

void GraphicsContext::EraseBackground() {
  CGContextRef context = mBitmap.GetContext();
  if (!context || !TryLockFrameBuffer()) return;
  const CGRect all = CGRectMake(0, 0, double(mBitmap.GetImageWidth()), double(mBitmap.GetImageHeight()));
  CGContextClearRect(context, all);
  CGContextSetRGBFillColor(context, mBackgroundColor[0], mBackgroundColor[1], mBackgroundColor[2],
                           mBackgroundColor[3]);
  CGContextFillRect(context, all);
  UnlockFrameBuffer();
}

void GraphicsContext::DrawTextCenteredInRect(const char* text, CGRect rect) {
  CGContextRef context = mBitmap.GetContext();
  if (!context || !TryLockFrameBuffer()) return;
  DrawTextInContextCenteredInRect(context, rect, text);
  UnlockFrameBuffer();
}

void GraphicsContext::DrawTextCentered(const char* text) {
  DrawTextCenteredInRect(text,
                         CGRectMake(0, 0, double(mBitmap.GetImageWidth()), double(mBitmap.GetImageHeight())));
}

void GraphicsContext::DrawTextCenteredLowerThird(const char* text) {
  // The bitmap's origin is its lower left corner.
  DrawTextCenteredInRect(
      text, CGRectMake(0, 0, double(mBitmap.GetImageWidth()), double(mBitmap.GetImageHeight()) * 0.3333));
}

}  // namespace UVideoFrameBuffer
