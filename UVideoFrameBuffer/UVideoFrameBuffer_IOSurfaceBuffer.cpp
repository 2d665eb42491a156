#include "UVideoFrameBuffer_IOSurfaceBuffer.h"

namespace UVideoFrameBuffer {

bool T_IOSurfaceRef::GetBufferFormat(IOSurfaceRef surface, Format& format) {
  format.Empty();
  if (!surface) return false;
  tag_pixel_format_t pixelFormat = IOSurfaceGetPixelFormat(surface);
  int width = int(IOSurfaceGetWidth(surface));
  if (pixelFormat == 0) pixelFormat = kPixelFormatBGRA;
  if (pixelFormat == FOUR_CHAR_CODE("2VUY")) {
    pixelFormat = kPixelFormat2vuy;
    width *= 2;
  }
  format =
      Format(width, int(IOSurfaceGetHeight(surface)), pixelFormat, int(IOSurfaceGetBytesPerRow(surface)));
  return true;
}

bool T_IOSurfaceRef::LockBufferHandle(IOSurfaceRef surface) {
  return surface && IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr) == kIOReturnSuccess;
}

void T_IOSurfaceRef::UnlockBufferHandle(IOSurfaceRef surface) {
  if (surface) IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
}

bool CFTypeRefBaseWithLocking_T<T_IOSurfaceRef, IOSurfaceRef, Base>::SetBufferHandleLocked(
    IOSurfaceRef surface) {
  IOSurfaceRef held;
  {
    std::lock_guard<SpinLock> guard(mHandleLock);
    if (mHandleLocked) UnlockBufferHandle(mHandle);
    mHandleLocked = false;
    if (surface != mHandle) {
      if (mHandle) CFRelease(mHandle);
      mHandle = surface ? static_cast<IOSurfaceRef>(const_cast<void*>(CFRetain(surface))) : nullptr;
    }
    held = mHandle;
  }
  if (!held) {
    DestructData();
    return false;
  }
  const bool locked = LockBufferHandle(held);
  std::lock_guard<SpinLock> guard(mHandleLock);
  mHandleLocked = locked;
  return locked;
}

bool CFTypeRefBaseWithLocking_T<T_IOSurfaceRef, IOSurfaceRef, Base>::Construct(IOSurfaceRef surface) {
  Format format;
  if (!GetBufferFormat(surface, format)) return false;
  if (!SetBufferHandleLocked(surface)) return false;
  void* pixels = IOSurfaceGetBaseAddress(surface);
  const size_t size = IOSurfaceGetAllocSize(surface);
  if (!pixels || size == 0) return false;
  return ConstructData(format, pixels, size);
}

LockedIOSurface::~LockedIOSurface() { SetBufferHandleLocked(nullptr); }

}  // namespace UVideoFrameBuffer
