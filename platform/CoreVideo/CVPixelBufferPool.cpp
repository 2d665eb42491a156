#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <CoreVideo/CVPixelBufferPool.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

#include "backend/CVAttributes.h"
#include "backend/CVPixelBufferCreation.h"
#include "backend/CVPixelBufferObject.h"
#include "backend/CVPixelFormats.h"

const CFStringRef kCVPixelBufferPoolMinimumBufferCountKey = CFSTR("MinimumBufferCount");
const CFStringRef kCVPixelBufferPoolMaximumBufferAgeKey = CFSTR("MaximumBufferAge");

namespace {

using Clock = std::chrono::steady_clock;

// Idle buffers above the minimum count are let go after this long unless the pool says.
constexpr double kDefaultMaximumAgeSeconds = 1.0;

double secondsAttribute(CFDictionaryRef attributes, CFStringRef key, double fallback) {
  const void* object = attributes ? CFDictionaryGetValue(attributes, key) : nullptr;
  double value = fallback;
  if (object && CFGetTypeID(object) == CFNumberGetTypeID())
    CFNumberGetValue(static_cast<CFNumberRef>(object), kCFNumberFloat64Type, &value);
  return value;
}

}  // namespace

struct __CVPixelBufferPool : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CVPixelBufferPool");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  __CVPixelBufferPool(CFDictionaryRef poolAttributes, CFDictionaryRef bufferAttributes, size_t width,
                      size_t height, OSType format)
      : mPoolAttributes(poolAttributes ? CFDictionaryCreateCopy(nullptr, poolAttributes) : nullptr),
        mBufferAttributes(CFDictionaryCreateCopy(nullptr, bufferAttributes)),
        mWidth(width),
        mHeight(height),
        mFormat(format) {
    int64_t minimum = 0;
    CoreVideo::integerAttribute(poolAttributes, kCVPixelBufferPoolMinimumBufferCountKey, minimum);
    mMinimumCount = minimum > 0 ? static_cast<size_t>(minimum) : 0;
    mMaximumAge =
        secondsAttribute(poolAttributes, kCVPixelBufferPoolMaximumBufferAgeKey, kDefaultMaximumAgeSeconds);
  }

  ~__CVPixelBufferPool() override {
    for (const Slot& slot : mSlots) CFRelease(slot.buffer);
    if (mPoolAttributes) CFRelease(mPoolAttributes);
    CFRelease(mBufferAttributes);
  }

  CVReturn createBuffer(CVPixelBufferRef& out) {
    std::lock_guard<std::mutex> guard(mLock);
    trimIdle(false);
    for (Slot& slot : mSlots) {
      // A buffer that only the pool holds is free: nobody else can reach it.
      if (CFGetRetainCount(slot.buffer) == 1) {
        slot.buffer->attachments.removeAll();
        slot.handedOut = Clock::now();
        out = static_cast<CVPixelBufferRef>(static_cast<__CVBuffer*>(slot.buffer));
        CFRetain(out);
        return kCVReturnSuccess;
      }
    }
    __CVPixelBuffer* buffer = nullptr;
    const CVReturn status = CoreVideo::createPixelBuffer(mWidth, mHeight, mFormat, mBufferAttributes, buffer);
    if (status != kCVReturnSuccess)
      return status == kCVReturnAllocationFailed ? kCVReturnPoolAllocationFailed : status;
    mSlots.push_back(Slot{buffer, Clock::now()});
    out = static_cast<CVPixelBufferRef>(static_cast<__CVBuffer*>(buffer));
    CFRetain(out);
    return kCVReturnSuccess;
  }

  // Lets go of free buffers: all of them, or those idle too long beyond the minimum count.
  void trimIdle(bool all) {
    const auto now = Clock::now();
    for (auto slot = mSlots.begin(); slot != mSlots.end();) {
      const bool idle = CFGetRetainCount(slot->buffer) == 1;
      const bool old = std::chrono::duration<double>(now - slot->handedOut).count() > mMaximumAge;
      if (idle && (all || (old && mSlots.size() > mMinimumCount))) {
        CFRelease(slot->buffer);
        slot = mSlots.erase(slot);
      } else {
        ++slot;
      }
    }
  }

  void flush() {
    std::lock_guard<std::mutex> guard(mLock);
    trimIdle(true);
  }

  CFDictionaryRef poolAttributes() const { return mPoolAttributes; }
  CFDictionaryRef bufferAttributes() const { return mBufferAttributes; }

 private:
  struct Slot {
    __CVPixelBuffer* buffer;
    Clock::time_point handedOut;
  };

  std::mutex mLock;
  std::vector<Slot> mSlots;
  const CFDictionaryRef mPoolAttributes;
  const CFDictionaryRef mBufferAttributes;
  const size_t mWidth;
  const size_t mHeight;
  const OSType mFormat;
  size_t mMinimumCount = 0;
  double mMaximumAge = kDefaultMaximumAgeSeconds;
};

namespace {

__CVPixelBufferPool* poolOf(CVPixelBufferPoolRef pool, const char* function) {
  auto* object = reinterpret_cast<NSObject*>(pool);
  if (!object || object->cfTypeID() != __CVPixelBufferPool::typeID()) {
    std::fprintf(stderr, "%s: %p is not a CVPixelBufferPool\n", function, static_cast<void*>(pool));
    return nullptr;
  }
  return static_cast<__CVPixelBufferPool*>(object);
}

}  // namespace

CFTypeID CVPixelBufferPoolGetTypeID(void) { return __CVPixelBufferPool::typeID(); }

CVPixelBufferPoolRef CVPixelBufferPoolRetain(CVPixelBufferPoolRef pixelBufferPool) {
  if (pixelBufferPool) CFRetain(pixelBufferPool);
  return pixelBufferPool;
}

void CVPixelBufferPoolRelease(CVPixelBufferPoolRef pixelBufferPool) {
  if (pixelBufferPool) CFRelease(pixelBufferPool);
}

CVReturn CVPixelBufferPoolCreate(CFAllocatorRef, CFDictionaryRef poolAttributes,
                                 CFDictionaryRef pixelBufferAttributes, CVPixelBufferPoolRef* poolOut) {
  if (!poolOut) return kCVReturnInvalidArgument;
  *poolOut = nullptr;
  if (poolAttributes && !CoreVideo::isDictionary(poolAttributes)) return kCVReturnInvalidPoolAttributes;
  if (!CoreVideo::isDictionary(pixelBufferAttributes)) return kCVReturnInvalidPixelBufferAttributes;
  int64_t width = 0, height = 0, format = 0;
  using CoreVideo::Found;
  if (CoreVideo::integerAttribute(pixelBufferAttributes, kCVPixelBufferWidthKey, width) != Found::number ||
      CoreVideo::integerAttribute(pixelBufferAttributes, kCVPixelBufferHeightKey, height) != Found::number ||
      CoreVideo::integerAttribute(pixelBufferAttributes, kCVPixelBufferPixelFormatTypeKey, format) !=
          Found::number)
    return kCVReturnInvalidPixelBufferAttributes;
  if (width <= 0 || height <= 0) return kCVReturnInvalidSize;
  if (CoreVideo::bytesPerPixel(static_cast<OSType>(format)) == 0) return kCVReturnInvalidPixelFormat;

  // One buffer now, so that attributes no buffer can be made from fail here and not later.
  auto* pool = new __CVPixelBufferPool(poolAttributes, pixelBufferAttributes, size_t(width), size_t(height),
                                       static_cast<OSType>(format));
  CVPixelBufferRef first = nullptr;
  const CVReturn status = pool->createBuffer(first);
  if (status != kCVReturnSuccess) {
    CFRelease(pool);
    return status;
  }
  CFRelease(first);
  *poolOut = pool;
  return kCVReturnSuccess;
}

CFDictionaryRef CVPixelBufferPoolGetAttributes(CVPixelBufferPoolRef pool) {
  __CVPixelBufferPool* object = poolOf(pool, __func__);
  return object ? object->poolAttributes() : nullptr;
}

CFDictionaryRef CVPixelBufferPoolGetPixelBufferAttributes(CVPixelBufferPoolRef pool) {
  __CVPixelBufferPool* object = poolOf(pool, __func__);
  return object ? object->bufferAttributes() : nullptr;
}

CVReturn CVPixelBufferPoolCreatePixelBuffer(CFAllocatorRef, CVPixelBufferPoolRef pixelBufferPool,
                                            CVPixelBufferRef* pixelBufferOut) {
  if (!pixelBufferOut) return kCVReturnInvalidArgument;
  *pixelBufferOut = nullptr;
  __CVPixelBufferPool* pool = poolOf(pixelBufferPool, __func__);
  if (!pool) return kCVReturnInvalidArgument;
  return pool->createBuffer(*pixelBufferOut);
}

void CVPixelBufferPoolFlush(CVPixelBufferPoolRef pool, CVPixelBufferPoolFlushFlags) {
  if (__CVPixelBufferPool* object = poolOf(pool, __func__)) object->flush();
}
