#pragma once
// The picture that test publishers draw for frame n, and how readers tell n back from it:
// every pixel B,G,R,A = n's low byte, n's high byte, 0x80, 0xFF. Header-only: the program
// links IOSurface itself.
#include <IOSurface/IOSurface.h>

#include <cstring>

namespace moxicam::test {

inline void drawFramePattern(IOSurfaceRef surface, long frame) {
  IOSurfaceLock(surface, 0, nullptr);
  auto* base = static_cast<unsigned char*>(IOSurfaceGetBaseAddress(surface));
  const size_t rowBytes = IOSurfaceGetBytesPerRow(surface);
  const unsigned char pixel[4] = {static_cast<unsigned char>(frame & 0xFF),
                                  static_cast<unsigned char>((frame >> 8) & 0xFF), 0x80, 0xFF};
  const size_t width = IOSurfaceGetWidth(surface), height = IOSurfaceGetHeight(surface);
  for (size_t x = 0; x < width; ++x) memcpy(base + 4 * x, pixel, 4);
  for (size_t y = 1; y < height; ++y) memcpy(base + y * rowBytes, base, 4 * width);
  IOSurfaceUnlock(surface, 0, nullptr);
}

// The frame number of one B,G,R,A pixel, or -1 when the pixel is none of the pattern's.
inline long frameOfPixel(const unsigned char* bgra) {
  if (bgra[2] != 0x80 || bgra[3] != 0xFF) return -1;
  return long(bgra[0]) | (long(bgra[1]) << 8);
}

}  // namespace moxicam::test
