#pragma once
// The surface use-count calls as class methods, for the surface textures.
#include <Foundation/NSObject.h>
#include <IOSurface/IOSurface.h>

class UIOSurfaceAPI : public NSObject {
  OBJC_CLASS_DECL(UIOSurfaceAPI, NSObject)

 public:
  static void surfaceIncrementUseCount(IOSurfaceRef surface);
  static void surfaceDecrementUseCount(IOSurfaceRef surface);
  static int32_t surfaceGetUseCount(IOSurfaceRef surface);
  static bool surfaceIsInUse(IOSurfaceRef surface);

 protected:
  UIOSurfaceAPI() = default;
};
