#include "UVideoFrameBuffer_ImageBuffer.h"

namespace UVideoFrameBuffer {

namespace {
vImagePixelCount vImageWidth(const Format& format) {
  const vImagePixelCount width = format.mPixelWidth > 0 ? vImagePixelCount(format.mPixelWidth) : 0;
  return format.mPixelFormat == kPixelFormat2vuy ? width / 2 : width;
}
}  // namespace

ImageBuffer::ImageBuffer(const Data& frame)
    : vImage_Buffer{frame.mFrameBufferData, frame.mPixelHeight > 0 ? vImagePixelCount(frame.mPixelHeight) : 0,
                    vImageWidth(frame), frame.mPixelRowBytes > 0 ? size_t(frame.mPixelRowBytes) : 0} {}

ImageBuffer::ImageBuffer(const Data& frame, int row, vImagePixelCount width)
    : vImage_Buffer{
          static_cast<uint8_t*>(frame.mFrameBufferData) + size_t(row) * size_t(frame.mPixelRowBytes), 1,
          frame.mPixelFormat == kPixelFormat2vuy ? width / 2 : width, size_t(frame.mPixelRowBytes)} {}

}  // namespace UVideoFrameBuffer
