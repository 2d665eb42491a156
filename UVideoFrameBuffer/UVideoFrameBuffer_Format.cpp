#include "UVideoFrameBuffer_Format.h"

#include <cstdio>

#include <RequiredLog.h>

namespace UVideoFrameBuffer {

namespace {
// Width over height in thousandths; a frame without height has no ratio (0).
int32_t AspectRatioThousandths(const Format& format) {
  if (format.mPixelHeight == 0) return 0;
  return int32_t(int64_t(double(format.mPixelWidth) / double(format.mPixelHeight) * 1000 + 0.5));
}
}  // namespace

Format::Format(int width, int height, tag_pixel_format_t pixelFormat, int rowBytes)
    : mPixelWidth(width), mPixelHeight(height), mPixelFormat(pixelFormat), mPixelRowBytes(rowBytes) {
  if (rowBytes == 0 && pixelFormat != kPixelFormatNone && width != 0 && height != 0 && pixelFormat != 0)
    mPixelRowBytes = BytesPerPixel(pixelFormat) * width;
}

void Format::Empty() { *this = Format(); }

bool Format::HasValidFormat() const {
  return mPixelWidth != 0 && mPixelHeight != 0 && mPixelFormat != kPixelFormatNone;
}

bool Format::HasSameFrameAspectRatio(const Format& other) const {
  int32_t mine = AspectRatioThousandths(*this), theirs = AspectRatioThousandths(other);
  bool same = mine == theirs;
  std::printf("%d=HasSameFrameAspectRatio %ld==%ld\n", same ? 1 : 0, long(mine), long(theirs));
  return same;
}

int Format::BytesPerPixel(tag_pixel_format_t pixelFormat) {
  if (pixelFormat == kPixelFormatData) return 1;
  if (pixelFormat == kPixelFormat2vuy) return 2;
  return 4;
}

const char* Format::stringFromPixelFormat(tag_pixel_format_t f) {
  thread_local char text[32];
  std::snprintf(text, sizeof text, "'%c%c%c%c' (%08x)", char(f >> 24), char(f >> 16), char(f >> 8), char(f),
                unsigned(f));
  return text;
}

void Format::DebugDump(const char* label) const {
  __CFRequiredLogPrintf("libUVideoFrameBuffer", "\n%s.mPixelFormat=%s\n%s.mPixelWidth=(%dx%d)\n%s.mPixelRowBytes=%04x\n",
                        label, stringFromPixelFormat(mPixelFormat), label, mPixelWidth, mPixelHeight, label,
                        unsigned(mPixelRowBytes));
}

}  // namespace UVideoFrameBuffer
