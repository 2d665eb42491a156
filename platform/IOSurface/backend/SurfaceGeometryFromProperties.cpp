#include "backend/SurfaceGeometryFromProperties.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <IOSurface/IOSurfaceAPI.h>

#include <cstdio>
#include <limits>

namespace IOSurfaceLayer {

namespace {

enum class Found { missing, number, invalid };

Found integerFor(CFDictionaryRef properties, CFStringRef key, int64_t& value) {
  const void* object = CFDictionaryGetValue(properties, key);
  if (!object) return Found::missing;
  if (CFGetTypeID(object) != CFNumberGetTypeID()) return Found::invalid;
  // Integral doubles are accepted as the integers they hold.
  CFNumberGetValue(static_cast<CFNumberRef>(object), kCFNumberSInt64Type, &value);
  return Found::number;
}

bool fail(const char* why) {
  std::fprintf(stderr, "IOSurfaceCreate: %s\n", why);
  return false;
}

}  // namespace

bool geometryFromProperties(CFDictionaryRef properties, SurfaceGeometry& geometry, bool& global) {
  if (!properties || CFGetTypeID(properties) != CFDictionaryGetTypeID())
    return fail("the properties are not a dictionary");
  int64_t width = 0, height = 0, bytesPerElement = 1, bytesPerRow = 0, allocSize = 0, pixelFormat = 0;
  if (integerFor(properties, kIOSurfaceWidth, width) != Found::number || width <= 0 ||
      static_cast<uint64_t>(width) > kMaximumDimension)
    return fail("kIOSurfaceWidth must be a number from 1 to 65536");
  if (integerFor(properties, kIOSurfaceHeight, height) != Found::number || height <= 0 ||
      static_cast<uint64_t>(height) > kMaximumDimension)
    return fail("kIOSurfaceHeight must be a number from 1 to 65536");
  const Found element = integerFor(properties, kIOSurfaceBytesPerElement, bytesPerElement);
  if (element == Found::invalid || bytesPerElement <= 0 || static_cast<uint64_t>(bytesPerElement) > kMaximumBytesPerElement)
    return fail("kIOSurfaceBytesPerElement must be a number from 1 to 64");
  const uint64_t rowMinimum = static_cast<uint64_t>(width) * static_cast<uint64_t>(bytesPerElement);
  const Found row = integerFor(properties, kIOSurfaceBytesPerRow, bytesPerRow);
  if (row == Found::invalid ||
      (row == Found::number && (bytesPerRow < 0 || static_cast<uint64_t>(bytesPerRow) < rowMinimum)))
    return fail("kIOSurfaceBytesPerRow is smaller than a row of the surface");
  if (row == Found::missing) bytesPerRow = static_cast<int64_t>(rowMinimum);
  const uint64_t pixelsSize = static_cast<uint64_t>(bytesPerRow) * static_cast<uint64_t>(height);
  const Found alloc = integerFor(properties, kIOSurfaceAllocSize, allocSize);
  if (alloc == Found::invalid || allocSize < 0) return fail("kIOSurfaceAllocSize must be a positive number");
  const uint64_t size = std::max<uint64_t>(pixelsSize, static_cast<uint64_t>(allocSize));
  if (size > kMaximumAllocSize || static_cast<uint64_t>(bytesPerRow) > kMaximumAllocSize)
    return fail("the surface would be larger than 4 GB");
  if (integerFor(properties, kIOSurfacePixelFormat, pixelFormat) == Found::invalid)
    return fail("kIOSurfacePixelFormat must be a number");

  global = false;
  if (const void* isGlobal = CFDictionaryGetValue(properties, kIOSurfaceIsGlobal)) {
    if (CFGetTypeID(isGlobal) == CFBooleanGetTypeID()) {
      global = CFBooleanGetValue(static_cast<CFBooleanRef>(isGlobal));
    } else if (CFGetTypeID(isGlobal) == CFNumberGetTypeID()) {
      int64_t flag = 0;
      CFNumberGetValue(static_cast<CFNumberRef>(isGlobal), kCFNumberSInt64Type, &flag);
      global = flag != 0;
    }
  }

  geometry.width = static_cast<uint64_t>(width);
  geometry.height = static_cast<uint64_t>(height);
  geometry.bytesPerElement = static_cast<uint64_t>(bytesPerElement);
  geometry.bytesPerRow = static_cast<uint64_t>(bytesPerRow);
  geometry.allocSize = size;
  geometry.pixelFormat = static_cast<uint32_t>(pixelFormat);
  return true;
}

}  // namespace IOSurfaceLayer
