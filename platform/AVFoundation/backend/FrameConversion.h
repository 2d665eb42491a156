#pragma once
// The frames a capture output hands out: pixel buffers over IOSurfaces (so that the OpenGL
// texture cache and other processes can use them) in the pixel format and size the output
// asks for, made from the camera's frames.
#include <CoreVideo/CVPixelBuffer.h>
#include <CoreVideo/CVPixelBufferPool.h>
#include <objc/RefPtr.h>

#include <cstdint>

namespace AVFoundationBackend {

// The formats frames can be converted into, and those they can be converted from (32-bit
// ARGB as well).
bool isConvertiblePixelFormat(OSType format);
bool isReadablePixelFormat(OSType format);

// Buffers of one format and size, reused once nobody holds them.
class FramePool {
 public:
  FramePool() = default;
  ~FramePool();
  FramePool(const FramePool&) = delete;
  FramePool& operator=(const FramePool&) = delete;

  // A new buffer (+1), IOSurface-backed; null when none can be made.
  CVPixelBufferRef create(OSType format, uint32_t width, uint32_t height);

 private:
  CVPixelBufferPoolRef mPool = nullptr;
  OSType mFormat = 0;
  uint32_t mWidth = 0, mHeight = 0;
};

// The frame in the format and size (a format of 0 keeps the frame's, a size of 0 keeps the
// frame's): the frame itself (retained) when it already is, else a new converted buffer
// from the pool, scaled by nearest pixels. Null (+0) when the frame cannot be read.
RefPtr<__CVBuffer> convertFrame(CVPixelBufferRef frame, OSType format, uint32_t width, uint32_t height,
                                FramePool& pool);

// Rows of 24-bit B,G,R pixels into a BGRA buffer of the same size, opaque.
void copyBGR24IntoBGRA(const uint8_t* source, size_t sourceRowBytes, CVPixelBufferRef destination);

}  // namespace AVFoundationBackend
