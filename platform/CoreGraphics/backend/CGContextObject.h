#pragma once
// The object behind CGContextRef.
//
// Pixels stay in the caller's memory in the CoreGraphics layout. When that layout is
// Cairo's own (host-endian premultiplied ARGB, or its opaque twin, with suitable row
// bytes) Cairo draws straight into it; otherwise every painting call copies the memory
// into a Cairo shadow surface, draws, and copies the result back, so that whatever the
// caller wrote into the memory between calls is seen and nothing else is touched.
//
// Geometry: the CTM of the graphics state maps user space to the context's default,
// y-up space; the Cairo matrix is that CTM followed by the flip onto Cairo's top-down
// rows. The current path is kept in the default space (each point transformed when it is
// added, as the platform does), and clips made from masks are device-sized A8 surfaces
// that every painting call is composited through.
#include <functional>
#include <memory>
#include <vector>

#include <cairo.h>

#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGContextText.h>
#include "backend/CGObjects.h"
#include "backend/CGPathObject.h"
#include "backend/CGPixelLayout.h"

struct CGContext : NSObject {
  CG_TYPE_ID(CGContext)
  ~CGContext() override;

  struct State {
    CGAffineTransform ctm = CGAffineTransformIdentity;
    double fill[4] = {0, 0, 0, 1};
    double stroke[4] = {0, 0, 0, 1};
    size_t fillComponents = 3;
    size_t strokeComponents = 3;
    CGFloat alpha = 1;
    CGInterpolationQuality interpolation = kCGInterpolationDefault;
    std::shared_ptr<cairo_surface_t> clipMask;
    CGTextDrawingMode textDrawingMode = kCGTextFill;
  };

  // Makes the Cairo side over the memory; false when Cairo cannot.
  bool attach();

  // Cairo's matrix for drawing in user space, or in the default space.
  void useUserSpace();
  void useDefaultSpace();
  // Runs `draw` on the pixels: memory in, through the mask clip, memory out.
  void paint(const std::function<void()>& draw);
  // Paints the current path (consumed) by fill rule or stroke.
  void drawPath(CGPathDrawingMode mode);
  void setSource(const double rgba[4]);
  // An A8 surface of the context's size, empty.
  std::shared_ptr<cairo_surface_t> makeMaskSurface() const;

  // The memory.
  uint8_t* data = nullptr;
  size_t width = 0;
  size_t height = 0;
  size_t bitsPerComponent = 0;
  size_t bitsPerPixel = 0;
  size_t bytesPerRow = 0;
  CGBitmapInfo bitmapInfo = 0;
  RefPtr<CGColorSpace> space;
  CGPixelLayout layout;
  bool ownsData = false;
  CGBitmapContextReleaseDataCallback releaseCallback = nullptr;
  void* releaseInfo = nullptr;

  // The Cairo side.
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  bool direct = false;

  State state;
  std::vector<State> savedStates;
  // The text matrix (its translation is the text position) is not part of the graphics state.
  CGAffineTransform textMatrix = CGAffineTransformIdentity;
  RefPtr<CGPath> path = adopt(new CGPath());
};
