#pragma once
// Global surfaces of any size and pixel format for the digitizer's tests, and their pixels.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <IOSurface/IOSurface.h>
#include <objc/RefPtr.h>

#include <cstring>

namespace moxicam::test {

// A new global surface; pixel format 0 leaves the format out, as some publishers do.
inline RefPtr<__IOSurface> makeSurface(int width, int height, int bytesPerElement, uint32_t pixelFormat) {
  RefPtr<__CFDictionary> properties = adopt(CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  const int values[] = {width, height, bytesPerElement, int(pixelFormat)};
  const CFStringRef keys[] = {kIOSurfaceWidth, kIOSurfaceHeight, kIOSurfaceBytesPerElement,
                              kIOSurfacePixelFormat};
  for (int i = 0; i < (pixelFormat ? 4 : 3); ++i) {
    RefPtr<const __CFNumber> number = adopt(CFNumberCreate(nullptr, kCFNumberIntType, &values[i]));
    CFDictionarySetValue(properties.get(), keys[i], number.get());
  }
  CFDictionarySetValue(properties.get(), kIOSurfaceIsGlobal, kCFBooleanTrue);
  return adopt(IOSurfaceCreate(properties.get()));
}

// Writes the surface under a write lock (so its seed moves): `pixel(x, y, bytes)` fills each
// element of bytesPerElement bytes.
template <class Pixel>
void paintSurface(IOSurfaceRef surface, Pixel pixel) {
  IOSurfaceLock(surface, 0, nullptr);
  auto* base = static_cast<uint8_t*>(IOSurfaceGetBaseAddress(surface));
  const size_t element = IOSurfaceGetBytesPerElement(surface), rowBytes = IOSurfaceGetBytesPerRow(surface);
  for (size_t y = 0; y < IOSurfaceGetHeight(surface); ++y)
    for (size_t x = 0; x < IOSurfaceGetWidth(surface); ++x)
      pixel(int(x), int(y), base + y * rowBytes + x * element);
  IOSurfaceUnlock(surface, 0, nullptr);
}

inline void paintBGRA(IOSurfaceRef surface, const uint8_t bgra[4]) {
  paintSurface(surface, [bgra](int, int, uint8_t* p) { std::memcpy(p, bgra, 4); });
}

}  // namespace moxicam::test
