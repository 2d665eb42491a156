#include "IOSurfaceIPC.h"

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>

#include <cstdint>

OBJC_CLASS_DEFINE(IOSurfaceIPC)

namespace {

void setNumber(CFMutableDictionaryRef properties, CFStringRef key, int32_t value) {
  RefPtr<const __CFNumber> number = adopt(CFNumberCreate(nullptr, kCFNumberSInt32Type, &value));
  CFDictionarySetValue(properties, key, number.get());
}

// Whole pixels; a size no surface can have (negative, huge, not a number) becomes 0, which
// the surface layer refuses.
int32_t wholePixels(CGFloat size) { return size >= 0 && size < CGFloat(INT32_MAX) ? int32_t(size) : 0; }

}  // namespace

uint32_t IOSurfaceIPC::surfaceBytesPerElementFromSurfacePixelFormat(uint32_t) { return 4; }

IOSurfaceRef IOSurfaceIPC::globalSurfaceWithSizePixels_surfacePixelFormat(CGSize sizePixels,
                                                                          uint32_t pixelFormat) {
  RefPtr<__CFDictionary> properties = adopt(CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  setNumber(properties.get(), kIOSurfaceWidth, wholePixels(sizePixels.width));
  setNumber(properties.get(), kIOSurfaceHeight, wholePixels(sizePixels.height));
  setNumber(properties.get(), kIOSurfaceBytesPerElement,
            int32_t(surfaceBytesPerElementFromSurfacePixelFormat(pixelFormat)));
  CFDictionarySetValue(properties.get(), kIOSurfaceIsGlobal, kCFBooleanTrue);
  if (pixelFormat != 0) setNumber(properties.get(), kIOSurfacePixelFormat, int32_t(pixelFormat));
  return IOSurfaceCreate(properties.get());
}
