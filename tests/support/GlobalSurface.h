#pragma once
// A global BGRA surface, as the application's sharing servers make them, for tests and test
// programs that stand in for a publisher. Header-only: the program links IOSurface itself.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <IOSurface/IOSurface.h>

namespace moxicam::test {

// A new (+1) surface that any process can look up by its id, or null.
inline IOSurfaceRef createGlobalSurface(int width, int height) {
  CFMutableDictionaryRef properties =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  const int values[] = {width, height, 4, 0x42475241};  // 'BGRA'
  const CFStringRef keys[] = {kIOSurfaceWidth, kIOSurfaceHeight, kIOSurfaceBytesPerElement, kIOSurfacePixelFormat};
  for (int i = 0; i < 4; ++i) {
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberIntType, &values[i]);
    CFDictionarySetValue(properties, keys[i], number);
    CFRelease(number);
  }
  CFDictionarySetValue(properties, kIOSurfaceIsGlobal, kCFBooleanTrue);
  IOSurfaceRef surface = IOSurfaceCreate(properties);
  CFRelease(properties);
  return surface;
}

}  // namespace moxicam::test
