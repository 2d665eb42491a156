#pragma once
// A drawing scope whose origin is the centre of a rectangle: saves the context's graphics
// state and moves the origin by half the rectangle's size; the state comes back when the
// scope ends.
#include "namespace_CoreGraphics_Context.h"

namespace CoreGraphics {

class ContextCentered : public Context {
 public:
  ContextCentered(CGRect rect, CGContextRef context);
  virtual ~ContextCentered();

  // From the centre to a corner: 0 lower left, 2 upper left, 3 lower right, else upper right.
  void MoveOriginToCorner(int corner);

  // The rectangle given at construction, in the moved coordinates.
  const float* GetCenteredRect() const { return mCenteredRect; }
  const float* GetCenterOffset() const { return mCenterOffset; }

 private:
  float mCenterOffset[2] = {0, 0};
  float mCenteredRect[4] = {0, 0, 0, 0};
};

}  // namespace CoreGraphics
