#include "backend/CVPixelBufferObject.h"

#include <CoreFoundation/CFString.h>
#include <IOSurface/IOSurfaceAPI.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

CFTypeID __CVPixelBuffer::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CVPixelBuffer");
  return id;
}

__CVPixelBuffer* __CVPixelBuffer::createWithMemory(const Layout& layout) {
  const size_t size = layout.bytesPerRow * layout.height;
  // Cache-line aligned, as pixel code may use wide loads on whole rows.
  void* memory = std::aligned_alloc(64, (size + 63) / 64 * 64);
  if (!memory) return nullptr;
  std::memset(memory, 0, size);
  auto* buffer = new __CVPixelBuffer(layout, memory, size);
  buffer->mRelease = [memory] { std::free(memory); };
  return buffer;
}

__CVPixelBuffer* __CVPixelBuffer::createWithBytes(const Layout& layout, void* bytes,
                                                  std::function<void()> release) {
  auto* buffer = new __CVPixelBuffer(layout, bytes, layout.bytesPerRow * layout.height);
  buffer->mRelease = std::move(release);
  return buffer;
}

__CVPixelBuffer* __CVPixelBuffer::createWithSurface(IOSurfaceRef surface) {
  Layout layout;
  layout.width = IOSurfaceGetWidth(surface);
  layout.height = IOSurfaceGetHeight(surface);
  layout.pixelFormat = IOSurfaceGetPixelFormat(surface);
  layout.bytesPerRow = IOSurfaceGetBytesPerRow(surface);
  auto* buffer =
      new __CVPixelBuffer(layout, IOSurfaceGetBaseAddress(surface), IOSurfaceGetAllocSize(surface));
  // The surface counts as in use while a buffer shows it, in every process, so that whoever
  // recycles surfaces (a display stream's pool, a frame ring) does not draw over it meanwhile.
  CFRetain(surface);
  IOSurfaceIncrementUseCount(surface);
  buffer->mSurface = surface;
  return buffer;
}

__CVPixelBuffer::~__CVPixelBuffer() {
  if (mRelease) mRelease();
  if (mSurface) {
    IOSurfaceDecrementUseCount(mSurface);
    CFRelease(mSurface);
  }
}

const __CFString* __CVPixelBuffer::copyDescription() const {
  const OSType f = mLayout.pixelFormat;
  return CFStringCreateWithFormat(
      nullptr, nullptr,
      CFSTR("<CVPixelBuffer %p width=%zu height=%zu bytesPerRow=%zu pixelFormat=%c%c%c%c iosurface=%p>"),
      static_cast<const void*>(this), mLayout.width, mLayout.height, mLayout.bytesPerRow, char(f >> 24),
      char(f >> 16), char(f >> 8), char(f), static_cast<void*>(mSurface));
}

CVReturn __CVPixelBuffer::lock(CVPixelBufferLockFlags flags) {
  const bool readOnly = flags & kCVPixelBufferLock_ReadOnly;
  if (mSurface &&
      IOSurfaceLock(mSurface,
                    readOnly ? IOSurfaceLockOptions(kIOSurfaceLockReadOnly) : IOSurfaceLockOptions(0),
                    nullptr) != kIOReturnSuccess)
    return kCVReturnError;
  (readOnly ? mReadLocks : mWriteLocks).fetch_add(1);
  return kCVReturnSuccess;
}

CVReturn __CVPixelBuffer::unlock(CVPixelBufferLockFlags flags) {
  const bool readOnly = flags & kCVPixelBufferLock_ReadOnly;
  std::atomic<int>& locks = readOnly ? mReadLocks : mWriteLocks;
  int held = locks.load();
  do {
    if (held <= 0) {
      std::fprintf(stderr, "CVPixelBufferUnlockBaseAddress: %p is not locked%s\n", static_cast<void*>(this),
                   readOnly ? " read-only" : "");
      return kCVReturnInvalidArgument;
    }
  } while (!locks.compare_exchange_weak(held, held - 1));
  if (mSurface)
    IOSurfaceUnlock(
        mSurface, readOnly ? IOSurfaceLockOptions(kIOSurfaceLockReadOnly) : IOSurfaceLockOptions(0), nullptr);
  return kCVReturnSuccess;
}
