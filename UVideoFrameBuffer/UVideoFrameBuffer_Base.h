#pragma once
// A frame buffer: a data view with a frame lock, built from a size, a surface or a format
// by the kinds of frame buffer that can (here, none of the three: each answers false).
#include <CoreGraphics/CGGeometry.h>
#include <CoreThreadMutex.h>

#include "UVideoFrameBuffer_Data.h"

// Surfaces are only passed through here, never opened.
typedef struct __IOSurface* IOSurfaceRef;

namespace UVideoFrameBuffer {

class Base : public Data {
 public:
  Base();
  ~Base() override;

  virtual bool Construct(CGSize size);
  virtual bool Construct(IOSurfaceRef surface);
  virtual bool Construct(const Format& format);

  bool TryLockFrameBuffer();
  void UnlockFrameBuffer();

 private:
  CoreThreadMutex mFrameLock;
};

}  // namespace UVideoFrameBuffer
