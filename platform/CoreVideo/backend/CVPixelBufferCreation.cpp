#include "backend/CVPixelBufferCreation.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <IOSurface/IOSurfaceAPI.h>

#include "backend/CVAttributes.h"
#include "backend/CVPixelBufferObject.h"
#include "backend/CVPixelFormats.h"

namespace CoreVideo {

namespace {

// Rows start on this many bytes unless the attributes ask for another alignment.
constexpr int64_t kDefaultRowAlignment = 16;
constexpr size_t kMaximumDimension = 1u << 16;

void setNumber(CFMutableDictionaryRef dictionary, CFStringRef key, int64_t value) {
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
  CFDictionarySetValue(dictionary, key, number);
  CFRelease(number);
}

__CVPixelBuffer* createOverSurface(const __CVPixelBuffer::Layout& layout, CFDictionaryRef surfaceProperties) {
  CFMutableDictionaryRef properties = CFDictionaryCreateMutableCopy(nullptr, 0, surfaceProperties);
  setNumber(properties, kIOSurfaceWidth, int64_t(layout.width));
  setNumber(properties, kIOSurfaceHeight, int64_t(layout.height));
  setNumber(properties, kIOSurfaceBytesPerElement, int64_t(bytesPerPixel(layout.pixelFormat)));
  setNumber(properties, kIOSurfaceBytesPerRow, int64_t(layout.bytesPerRow));
  setNumber(properties, kIOSurfacePixelFormat, int64_t(layout.pixelFormat));
  IOSurfaceRef surface = IOSurfaceCreate(properties);
  CFRelease(properties);
  if (!surface) return nullptr;
  __CVPixelBuffer* buffer = __CVPixelBuffer::createWithSurface(surface);
  CFRelease(surface);
  return buffer;
}

}  // namespace

CVReturn createPixelBuffer(size_t width, size_t height, OSType pixelFormat, CFDictionaryRef attributes,
                           __CVPixelBuffer*& buffer) {
  buffer = nullptr;
  if (width == 0 || height == 0 || width > kMaximumDimension || height > kMaximumDimension)
    return kCVReturnInvalidSize;
  if (bytesPerPixel(pixelFormat) == 0) return kCVReturnInvalidPixelFormat;
  if (attributes && !isDictionary(attributes)) return kCVReturnInvalidPixelBufferAttributes;

  int64_t alignment = kDefaultRowAlignment;
  const Found alignmentFound = integerAttribute(attributes, kCVPixelBufferBytesPerRowAlignmentKey, alignment);
  if (alignmentFound == Found::invalid || alignment < 1 || alignment > 4096)
    return kCVReturnInvalidPixelBufferAttributes;
  const size_t step = static_cast<size_t>(alignment);
  __CVPixelBuffer::Layout layout{width, height, pixelFormat,
                                 (rowBytes(pixelFormat, width) + step - 1) / step * step};

  const void* surfaceProperties =
      attributes ? CFDictionaryGetValue(attributes, kCVPixelBufferIOSurfacePropertiesKey) : nullptr;
  if (surfaceProperties && !isDictionary(surfaceProperties)) return kCVReturnInvalidPixelBufferAttributes;
  buffer = surfaceProperties ? createOverSurface(layout, static_cast<CFDictionaryRef>(surfaceProperties))
                             : __CVPixelBuffer::createWithMemory(layout);
  return buffer ? kCVReturnSuccess : kCVReturnAllocationFailed;
}

}  // namespace CoreVideo
