#pragma once
// Frame buffers over an IOSurface: the surface is held and locked for reading, and its own
// memory is the buffer's pixels for as long as it stays so.
#include <IOSurface/IOSurface.h>

#include "UVideoFrameBuffer_CGImageBuffer.h"

namespace UVideoFrameBuffer {

// What a frame buffer needs to know of IOSurfaces: their format, and how to lock them.
class T_IOSurfaceRef {
 public:
  // The surface's size, row bytes and pixel format: a format of 0 counts as 'BGRA', and
  // '2VUY' as '2vuy' with the width doubled. False (and the empty format) for a null surface.
  static bool GetBufferFormat(IOSurfaceRef surface, Format& format);
  static bool LockBufferHandle(IOSurfaceRef surface);
  static void UnlockBufferHandle(IOSurfaceRef surface);
};

template <>
class CFTypeRefBaseWithLocking_T<T_IOSurfaceRef, IOSurfaceRef, Base>
    : public CFTypeRefBase_T<IOSurfaceRef, Base>, public T_IOSurfaceRef {
 public:
  using Base::Construct;
  // Unlocks the held surface, holds `surface` instead (null lets go) and locks it for reading;
  // true when a surface is held and locked.
  bool SetBufferHandleLocked(IOSurfaceRef surface);
  // The buffer's format and pixels become the surface's own; false when it cannot be held and
  // locked or has no memory.
  bool Construct(IOSurfaceRef surface) override;

 protected:
  bool mHandleLocked = false;
};

// A surface held and locked for reading while the object lives.
class LockedIOSurface : public CFTypeRefBaseWithLocking_T<T_IOSurfaceRef, IOSurfaceRef, Base> {
 public:
  LockedIOSurface() = default;
  ~LockedIOSurface() override;
};

}  // namespace UVideoFrameBuffer
