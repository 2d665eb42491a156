#pragma once
// The surfaces a display stream draws its frames into (inner workings). A surface whose use
// count is raised belongs to whoever raised it; the pool hands out only the others, and grows
// up to a limit when all are in use.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <IOSurface/IOSurfaceRef.h>
#include <objc/RefPtr.h>

namespace CGDisplayServer {

// The one pixel format of display streams: 'BGRA', 32-bit pixels blue first in memory.
constexpr uint32_t kPixelFormatBGRA = 0x42475241;

class SurfacePool {
 public:
  static constexpr size_t kMaximumSurfaces = 8;

  SurfacePool(size_t width, size_t height) : mWidth(width), mHeight(height) {}

  // A surface nobody uses, retained for the caller; null when all kMaximumSurfaces are in use
  // or a surface cannot be made.
  RefPtr<__IOSurface> takeFreeSurface();

 private:
  size_t mWidth;
  size_t mHeight;
  std::vector<RefPtr<__IOSurface>> mSurfaces;
};

// Draws the picture into the surface, scaled to fill it; with keepAspectRatio the picture keeps
// its proportions, centred between black bars. The surface must be 32-bit BGRA.
struct CapturedPixels;
void drawScaledIntoSurface(const CapturedPixels& pixels, IOSurfaceRef surface, bool keepAspectRatio);

}  // namespace CGDisplayServer
