#include "UVideoFrameBuffer_Data.h"

#include <algorithm>
#include <cstring>

#include <RequiredLog.h>

namespace UVideoFrameBuffer {

namespace {
// The step from one pixel to the next. The pixel format names it, but padded rows must not
// make pixels wider, and a layout the format cannot name (24-bit, 8-bit gray) is known only
// from a packed row: the smaller of the two holds for both.
uint64_t PixelStep(const Format& format) {
  uint64_t named = uint64_t(Format::BytesPerPixel(format.mPixelFormat));
  if (format.mPixelWidth <= 0 || format.mPixelRowBytes < 0) return named;
  return std::min<uint64_t>(named, uint64_t(format.mPixelRowBytes) / uint64_t(format.mPixelWidth));
}
}  // namespace

Data::~Data() { DestructData(); }

bool Data::ConstructData(const Format& format, void* data, unsigned long size) {
  SetFrameBufferFormat(format);
  mFrameBufferData = data;
  mFrameBufferDataSizeBytes = size;
  return data != nullptr && size != 0;
}

void Data::DestructData() {
  mFrameBufferData = nullptr;
  mFrameBufferDataSizeBytes = 0;
  Empty();
}

CGRect Data::GetFrameBufferRectWithAspectRatio(double aspect) const {
  CGRect full = CGRectMake(0, 0, mPixelWidth, mPixelHeight);
  if (mPixelHeight == 0 || double(mPixelWidth) / double(mPixelHeight) == aspect) return full;
  int32_t width = int32_t(aspect * double(mPixelHeight));
  int32_t x = (mPixelWidth - width) >> 1;
  return CGRectMake(x, 0, width, mPixelHeight);
}

void* Data::CGGetPixelScanline(int row) const {
  int64_t r = int64_t(mPixelHeight) - 1 - row;
  if (!mFrameBufferData || r < 0 || r >= mPixelHeight) return nullptr;
  uint64_t offset = uint64_t(r) * uint64_t(mPixelRowBytes);
  if (offset >= mFrameBufferDataSizeBytes) return nullptr;
  return static_cast<uint8_t*>(mFrameBufferData) + offset;
}

void* Data::GetPixelAtPoint(int x, int y) const {
  if (!mFrameBufferData || x < 0 || y < 0 || x >= mPixelWidth || y >= mPixelHeight) return nullptr;
  uint64_t bytesPerPixel = PixelStep(*this);
  uint64_t offset = uint64_t(y) * uint64_t(mPixelRowBytes) + uint64_t(x) * bytesPerPixel;
  if (offset + bytesPerPixel > mFrameBufferDataSizeBytes) return nullptr;
  return static_cast<uint8_t*>(mFrameBufferData) + offset;
}

void Data::ErasePixelDataWithValue(uint32_t value) {
  if (!mFrameBufferData) return;
  auto* bytes = static_cast<uint8_t*>(mFrameBufferData);
  uint8_t pattern[4];
  std::memcpy(pattern, &value, 4);
  for (unsigned long i = 0; i < mFrameBufferDataSizeBytes; ++i) bytes[i] = pattern[i % 4];
}

bool Data::ConstructWithBufferRegion(const Data& source, CGRect region) {
  int64_t x = int32_t(region.origin.x), y = int32_t(region.origin.y);
  int64_t width = int32_t(region.size.width), height = int32_t(region.size.height);
  // The view may only reach the source's own pixels.
  if (x < 0) width += x, x = 0;
  if (y < 0) height += y, y = 0;
  width = std::min<int64_t>(width, int64_t(source.mPixelWidth) - x);
  height = std::min<int64_t>(height, int64_t(source.mPixelHeight) - y);
  if (width <= 0 || height <= 0) return false;
  void* first = source.GetPixelAtPoint(int(x), int(y));
  if (!first) return false;
  Format format = source;
  format.mPixelWidth = int32_t(width);
  format.mPixelHeight = int32_t(height);
  uint64_t size = uint64_t(height - 1) * uint64_t(source.mPixelRowBytes) +
                  uint64_t(width) * PixelStep(source);
  uint64_t available = source.mFrameBufferDataSizeBytes -
                       uint64_t(static_cast<uint8_t*>(first) - static_cast<uint8_t*>(source.mFrameBufferData));
  if (size > available) return false;
  return ConstructData(format, first, size);
}

bool Data::ConstructWithBufferRegionHavingFrameAspectRatio(const Data& source, double aspect) {
  return ConstructWithBufferRegion(source, source.GetFrameBufferRectWithAspectRatio(aspect));
}

void Data::DebugDump(const char* label, bool dumpFormat) const {
  if (dumpFormat) Format::DebugDump(label);
  __CFRequiredLogPrintf("libUVideoFrameBuffer", "\n%s.mFrameBufferDataSizeBytes=%d\n%s.mFrameBufferData=%08lx\n",
                        label, int(mFrameBufferDataSizeBytes), label,
                        static_cast<unsigned long>(reinterpret_cast<uintptr_t>(mFrameBufferData)));
}

}  // namespace UVideoFrameBuffer
