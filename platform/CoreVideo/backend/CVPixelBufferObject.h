#pragma once
// The object behind CVPixelBufferRef: one plane of pixels in memory of one of three kinds.
#include <atomic>
#include <functional>

#include <CoreVideo/CVPixelBuffer.h>
#include <IOSurface/IOSurfaceRef.h>

#include "backend/CVBufferObject.h"

struct __CVPixelBuffer : __CVImageBuffer {
  struct Layout {
    size_t width = 0;
    size_t height = 0;
    OSType pixelFormat = 0;
    size_t bytesPerRow = 0;
  };

  // Memory of its own, zeroed.
  static __CVPixelBuffer* createWithMemory(const Layout& layout);
  // The caller's bytes, handed back through release when the buffer goes.
  static __CVPixelBuffer* createWithBytes(const Layout& layout, void* bytes, std::function<void()> release);
  // The surface's memory; the buffer holds a reference to the surface.
  static __CVPixelBuffer* createWithSurface(IOSurfaceRef surface);

  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }
  const __CFString* copyDescription() const override;
  CGSize encodedSize() const override { return CGSize{double(mLayout.width), double(mLayout.height)}; }

  const Layout& layout() const { return mLayout; }
  void* baseAddress() const { return mBase; }
  size_t dataSize() const { return mDataSize; }
  IOSurfaceRef surface() const { return mSurface; }

  CVReturn lock(CVPixelBufferLockFlags flags);
  CVReturn unlock(CVPixelBufferLockFlags flags);

 protected:
  ~__CVPixelBuffer() override;

 private:
  __CVPixelBuffer(const Layout& layout, void* base, size_t dataSize)
      : mLayout(layout), mBase(base), mDataSize(dataSize) {}

  const Layout mLayout;
  void* const mBase;
  const size_t mDataSize;
  std::function<void()> mRelease;
  IOSurfaceRef mSurface = nullptr;
  std::atomic<int> mReadLocks{0};
  std::atomic<int> mWriteLocks{0};
};
