#pragma once
// Frame buffers over a CGImage: the image is held, its pixels copied out so that they can
// be read row by row.
#include <mutex>

#include <CoreGraphics/CoreGraphics.h>

#include "UVideoFrameBuffer_Base.h"
#include "UVideoFrameBuffer_SpinLock.h"

namespace UVideoFrameBuffer {

// A frame buffer holding one reference of a CF-style handle.
template <class HandleT, class BaseT>
class CFTypeRefBase_T : public BaseT {
 public:
  ~CFTypeRefBase_T() override {
    std::lock_guard<SpinLock> guard(mHandleLock);
    if (mHandle) CFRelease(mHandle);
    mHandle = nullptr;
  }

  HandleT GetBufferHandle() {
    std::lock_guard<SpinLock> guard(mHandleLock);
    return mHandle;
  }

 protected:
  SpinLock mHandleLock;
  HandleT mHandle = nullptr;
};

// What a frame buffer needs to know of CGImages: their format, and a copy of their pixels.
class T_CGImageRef {
 public:
  ~T_CGImageRef();

  // The image's size, row bytes and pixel format, named by where the bytes of a 32-bit
  // pixel lie in memory ('ARGB', 'BGRA', 'RGBA', 'ABGR'; 'none' for other layouts).
  // False (and the empty format) for a null image.
  static bool GetBufferFormat(CGImageRef image, Format& format);
  // Copies the image's pixels, replacing the held copy; true when a copy is now held.
  bool LockBufferHandle(CGImageRef image);

 protected:
  // Drops the held copy of the pixels.
  void ReleaseData();

  SpinLock mDataLock;
  CFDataRef mData = nullptr;
};

template <class TraitsT, class HandleT, class BaseT>
class CFTypeRefBaseWithLocking_T;

template <>
class CFTypeRefBaseWithLocking_T<T_CGImageRef, CGImageRef, Base> : public CFTypeRefBase_T<CGImageRef, Base>,
                                                                   public T_CGImageRef {
 public:
  using Base::Construct;
  // Holds `image` (null lets go of the held one) and copies its pixels; false when no
  // image is held afterwards or its pixels cannot be copied.
  bool SetBufferHandleLocked(CGImageRef image);
  // The buffer's format and pixels become those of (a copy of) the image.
  bool Construct(CGImageRef image);
};

class CGImageBuffer : public CFTypeRefBaseWithLocking_T<T_CGImageRef, CGImageRef, Base> {
 public:
  CGImageBuffer() = default;
  ~CGImageBuffer() override;
};

}  // namespace UVideoFrameBuffer
