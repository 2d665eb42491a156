// Images of a texture's surface: a copy of its pixels, or its memory itself, locked for
// reading for as long as the image lives.
#include <CoreGraphics/CGDataProvider.h>

#include <cstdlib>
#include <cstring>

#include "NSOGLTextureIOSurface.h"

namespace {

constexpr uint32_t kARGBPixelFormat = 32;

CGBitmapInfo bitmapInfoOf(IOSurfaceRef surface) {
  switch (IOSurfaceGetPixelFormat(surface)) {
    case 0x42475241:  // 'BGRA'
      return kCGBitmapByteOrder32Little | kCGImageAlphaPremultipliedFirst;
    case kARGBPixelFormat:
      return kCGBitmapByteOrder32Big | kCGImageAlphaPremultipliedFirst;
    default:
      return kCGImageAlphaNoneSkipLast;
  }
}

CGImageRef imageOf(IOSurfaceRef surface, CGColorSpaceRef colorSpace, CGDataProviderRef provider) {
  return CGImageCreate(IOSurfaceGetWidth(surface), IOSurfaceGetHeight(surface), 8, 32,
                       IOSurfaceGetBytesPerRow(surface), colorSpace, bitmapInfoOf(surface), provider, nullptr,
                       true, kCGRenderingIntentDefault);
}

// An image made with the named colour space; null when there is no such space.
template <class Make>
CGImageRef withNamedColorSpace(CFStringRef name, Make make) {
  CGColorSpaceRef space = name ? CGColorSpaceCreateWithName(name) : nullptr;
  if (!space) return nullptr;
  CGImageRef image = make(space);
  CGColorSpaceRelease(space);
  return image;
}

void freeCopy(void*, const void* data, size_t) { std::free(const_cast<void*>(data)); }

void unlockSurface(void* info, const void*, size_t) {
  auto surface = static_cast<IOSurfaceRef>(info);
  IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
  CFRelease(surface);
}

}  // namespace

CGImageRef NSOGLTextureIOSurface::createSurfaceImageByCopyingPixelsWithColorSpace(
    CGColorSpaceRef colorSpace) {
  RefPtr<__IOSurface> surface = adopt(surfaceCopy());
  if (!surface || !colorSpace) return nullptr;
  const size_t size = IOSurfaceGetBytesPerRow(surface.get()) * IOSurfaceGetHeight(surface.get());
  void* pixels = std::malloc(size ? size : 1);
  if (!pixels) return nullptr;
  if (IOSurfaceLock(surface.get(), kIOSurfaceLockReadOnly, nullptr) != kIOReturnSuccess) {
    std::free(pixels);
    return nullptr;
  }
  const void* base = IOSurfaceGetBaseAddress(surface.get());
  if (base) std::memcpy(pixels, base, size);
  IOSurfaceUnlock(surface.get(), kIOSurfaceLockReadOnly, nullptr);
  if (!base) {
    std::free(pixels);
    return nullptr;
  }
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, pixels, size, freeCopy);
  if (!provider) {
    std::free(pixels);
    return nullptr;
  }
  CGImageRef image = imageOf(surface.get(), colorSpace, provider);
  CGDataProviderRelease(provider);
  return image;
}

CGImageRef NSOGLTextureIOSurface::createSurfaceImageLockingSurfaceWithColorSpace(CGColorSpaceRef colorSpace) {
  IOSurfaceRef surface = surfaceCopy();
  if (!surface) return nullptr;
  if (!colorSpace || IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr) != kIOReturnSuccess) {
    CFRelease(surface);
    return nullptr;
  }
  const void* base = IOSurfaceGetBaseAddress(surface);
  if (!base) {
    unlockSurface(surface, nullptr, 0);
    return nullptr;
  }
  // The provider owns the lock and the reference from here on.
  CGDataProviderRef provider = CGDataProviderCreateWithData(
      surface, base, IOSurfaceGetBytesPerRow(surface) * IOSurfaceGetHeight(surface), unlockSurface);
  if (!provider) {
    unlockSurface(surface, nullptr, 0);
    return nullptr;
  }
  CGImageRef image = imageOf(surface, colorSpace, provider);
  CGDataProviderRelease(provider);
  return image;
}

CGImageRef NSOGLTextureIOSurface::createSurfaceImageByCopyingPixelsWithColorSpaceName(CFStringRef name) {
  return withNamedColorSpace(
      name, [&](CGColorSpaceRef space) { return createSurfaceImageByCopyingPixelsWithColorSpace(space); });
}

CGImageRef NSOGLTextureIOSurface::createSurfaceImageLockingSurfaceWithColorSpaceName(CFStringRef name) {
  return withNamedColorSpace(
      name, [&](CGColorSpaceRef space) { return createSurfaceImageLockingSurfaceWithColorSpace(space); });
}
