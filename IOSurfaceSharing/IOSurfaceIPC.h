#pragma once
// The shared surfaces of the frame sharing servers: global surfaces, which any process of the
// machine finds by their id.
#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObject.h>
#include <IOSurface/IOSurface.h>

#include <cstdint>

class IOSurfaceIPC : public NSObject {
  OBJC_CLASS_DECL(IOSurfaceIPC, NSObject)

 public:
  static uint32_t surfaceBytesPerElementFromSurfacePixelFormat(uint32_t pixelFormat);
  // A new (+1) global surface of the size (cut to whole pixels), with the pixel format unless
  // it is 0; null when it cannot be made.
  static IOSurfaceRef globalSurfaceWithSizePixels_surfacePixelFormat(CGSize sizePixels, uint32_t pixelFormat);

 protected:
  IOSurfaceIPC() = default;
};
