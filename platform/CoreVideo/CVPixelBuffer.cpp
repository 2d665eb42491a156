#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <CoreVideo/CVPixelBufferIOSurface.h>
#include <IOSurface/IOSurfaceAPI.h>

#include <cstdio>

#include "backend/CVAttributes.h"
#include "backend/CVPixelBufferCreation.h"
#include "backend/CVPixelBufferObject.h"
#include "backend/CVPixelFormats.h"

const CFStringRef kCVPixelBufferPixelFormatTypeKey = CFSTR("PixelFormatType");
const CFStringRef kCVPixelBufferWidthKey = CFSTR("Width");
const CFStringRef kCVPixelBufferHeightKey = CFSTR("Height");
const CFStringRef kCVPixelBufferBytesPerRowAlignmentKey = CFSTR("BytesPerRowAlignment");
const CFStringRef kCVPixelBufferIOSurfacePropertiesKey = CFSTR("IOSurfaceProperties");
const CFStringRef kCVPixelBufferOpenGLCompatibilityKey = CFSTR("OpenGLCompatibility");
const CFStringRef kCVPixelBufferIOSurfaceOpenGLTextureCompatibilityKey =
    CFSTR("IOSurfaceOpenGLTextureCompatibility");
const CFStringRef kCVPixelBufferIOSurfaceOpenGLFBOCompatibilityKey = CFSTR("IOSurfaceOpenGLFBOCompatibility");
const CFStringRef kCVPixelBufferCGImageCompatibilityKey = CFSTR("CGImageCompatibility");
const CFStringRef kCVPixelBufferCGBitmapContextCompatibilityKey = CFSTR("CGBitmapContextCompatibility");

namespace {

__CVPixelBuffer* pixelBufferOf(CVPixelBufferRef buffer, const char* function) {
  auto* object = reinterpret_cast<NSObject*>(buffer);
  if (!object || object->cfTypeID() != __CVPixelBuffer::typeID()) {
    std::fprintf(stderr, "%s: %p is not a CVPixelBuffer\n", function, static_cast<void*>(buffer));
    return nullptr;
  }
  return static_cast<__CVPixelBuffer*>(object);
}

}  // namespace

CFTypeID CVPixelBufferGetTypeID(void) { return __CVPixelBuffer::typeID(); }

CVPixelBufferRef CVPixelBufferRetain(CVPixelBufferRef texture) { return CVBufferRetain(texture); }
void CVPixelBufferRelease(CVPixelBufferRef texture) { CVBufferRelease(texture); }

CVReturn CVPixelBufferCreate(CFAllocatorRef, size_t width, size_t height, OSType pixelFormatType,
                             CFDictionaryRef pixelBufferAttributes, CVPixelBufferRef* pixelBufferOut) {
  if (!pixelBufferOut) return kCVReturnInvalidArgument;
  *pixelBufferOut = nullptr;
  __CVPixelBuffer* buffer = nullptr;
  const CVReturn status =
      CoreVideo::createPixelBuffer(width, height, pixelFormatType, pixelBufferAttributes, buffer);
  *pixelBufferOut = buffer;
  return status;
}

CVReturn CVPixelBufferCreateWithBytes(CFAllocatorRef, size_t width, size_t height, OSType pixelFormatType,
                                      void* baseAddress, size_t bytesPerRow,
                                      CVPixelBufferReleaseBytesCallback releaseCallback, void* releaseRefCon,
                                      CFDictionaryRef pixelBufferAttributes,
                                      CVPixelBufferRef* pixelBufferOut) {
  if (!pixelBufferOut || !baseAddress) return kCVReturnInvalidArgument;
  *pixelBufferOut = nullptr;
  if (width == 0 || height == 0) return kCVReturnInvalidSize;
  if (CoreVideo::bytesPerPixel(pixelFormatType) == 0) return kCVReturnInvalidPixelFormat;
  if (pixelBufferAttributes && !CoreVideo::isDictionary(pixelBufferAttributes))
    return kCVReturnInvalidPixelBufferAttributes;
  // Rows shorter than the pixels would let every reader run past the caller's memory.
  if (bytesPerRow < CoreVideo::rowBytes(pixelFormatType, width)) return kCVReturnInvalidArgument;
  __CVPixelBuffer::Layout layout{width, height, pixelFormatType, bytesPerRow};
  std::function<void()> release;
  if (releaseCallback)
    release = [releaseCallback, releaseRefCon, baseAddress] { releaseCallback(releaseRefCon, baseAddress); };
  *pixelBufferOut = __CVPixelBuffer::createWithBytes(layout, baseAddress, std::move(release));
  return kCVReturnSuccess;
}

CVReturn CVPixelBufferCreateWithIOSurface(CFAllocatorRef, IOSurfaceRef surface,
                                          CFDictionaryRef pixelBufferAttributes,
                                          CVPixelBufferRef* pixelBufferOut) {
  if (!pixelBufferOut) return kCVReturnInvalidArgument;
  *pixelBufferOut = nullptr;
  if (!surface || CFGetTypeID(surface) != IOSurfaceGetTypeID()) return kCVReturnInvalidArgument;
  if (pixelBufferAttributes && !CoreVideo::isDictionary(pixelBufferAttributes))
    return kCVReturnInvalidPixelBufferAttributes;
  *pixelBufferOut = __CVPixelBuffer::createWithSurface(surface);
  return kCVReturnSuccess;
}

IOSurfaceRef CVPixelBufferGetIOSurface(CVPixelBufferRef pixelBuffer) {
  __CVPixelBuffer* buffer = pixelBufferOf(pixelBuffer, __func__);
  return buffer ? buffer->surface() : nullptr;
}

CVReturn CVPixelBufferLockBaseAddress(CVPixelBufferRef pixelBuffer, CVPixelBufferLockFlags lockFlags) {
  __CVPixelBuffer* buffer = pixelBufferOf(pixelBuffer, __func__);
  return buffer ? buffer->lock(lockFlags) : kCVReturnInvalidArgument;
}

CVReturn CVPixelBufferUnlockBaseAddress(CVPixelBufferRef pixelBuffer, CVPixelBufferLockFlags unlockFlags) {
  __CVPixelBuffer* buffer = pixelBufferOf(pixelBuffer, __func__);
  return buffer ? buffer->unlock(unlockFlags) : kCVReturnInvalidArgument;
}

#define CVPIXELBUFFER_GETTER(type, name, expression)                      \
  type name(CVPixelBufferRef pixelBuffer) {                               \
    __CVPixelBuffer* buffer = pixelBufferOf(pixelBuffer, __func__);       \
    return buffer ? static_cast<type>(expression) : static_cast<type>(0); \
  }

CVPIXELBUFFER_GETTER(size_t, CVPixelBufferGetWidth, buffer->layout().width)
CVPIXELBUFFER_GETTER(size_t, CVPixelBufferGetHeight, buffer->layout().height)
CVPIXELBUFFER_GETTER(OSType, CVPixelBufferGetPixelFormatType, buffer->layout().pixelFormat)
CVPIXELBUFFER_GETTER(void*, CVPixelBufferGetBaseAddress, buffer->baseAddress())
CVPIXELBUFFER_GETTER(size_t, CVPixelBufferGetBytesPerRow, buffer->layout().bytesPerRow)
CVPIXELBUFFER_GETTER(size_t, CVPixelBufferGetDataSize, buffer->dataSize())
CVPIXELBUFFER_GETTER(Boolean, CVPixelBufferIsPlanar, false)
CVPIXELBUFFER_GETTER(size_t, CVPixelBufferGetPlaneCount, 0)
