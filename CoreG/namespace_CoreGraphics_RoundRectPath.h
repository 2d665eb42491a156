#pragma once
// A rounded rectangle built in radius units (one unit is one corner radius along each
// axis, so the corners are unit quarter circles) and drawn scaled back by the radii,
// which also allows elliptical corners.
#include <CoreGraphics/CoreGraphics.h>

namespace CoreGraphics {

class RoundRectPath {
 public:
  RoundRectPath(const CGRect& rect, float radiusX, float radiusY);
  ~RoundRectPath();
  RoundRectPath(const RoundRectPath&) = delete;
  RoundRectPath& operator=(const RoundRectPath&) = delete;

  // A new outline, or null (reported). Either radius 0 gives the plain rectangle.
  CGPathRef CreatePath() const;
  // Fills (and with a positive width, also strokes) the outline with its corner at
  // (x, y) + the rectangle's origin, in the context's current colours.
  void Draw(CGContextRef context, double x, double y, float lineWidth) const;

  CGPathRef GetPath() const { return mPath; }
  float GetRadiusX() const { return mRadiusX; }
  float GetRadiusY() const { return mRadiusY; }

 private:
  CGPathRef mPath = nullptr;
  CGRect mRect;
  float mRadiusX;
  float mRadiusY;
  float mUnitsX;
  float mUnitsY;
};

// Draws a rounded rectangle; a radius below 1 is a fraction of the smaller side.
void DrawRoundRect(CGContextRef context, CGRect rect, float lineWidth, float radius);

}  // namespace CoreGraphics
