#pragma once
// The shared surfaces of the frame sharing servers: global surfaces, which any process of the
// machine finds by their id, and surfaces as Mach ports: a port made from a surface's id
// carries the surface to another process in a message, where it is turned back into the id.
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

  // A new send right for the surface with the id (the caller's to deallocate); 0 when no
  // surface has that id.
  static uint32_t remotingSurfaceIDFromLocalIOSurfaceID(uint32_t surfaceID);
  // The id of the surface a port carries (the port stays the caller's); 0 when it carries none.
  static uint32_t localIOSurfaceIDFromRemotingSurfaceID(uint32_t port);
  // Drops the right of a non-zero port; YES in every case.
  static bool deallocateRemotingSurfaceID(uint32_t port);

 protected:
  IOSurfaceIPC() = default;
};
