#pragma once
// Outline shapes as cubic segments around (0, 0): the heart.
#include <vector>

#include <CoreGraphics/CoreGraphics.h>

namespace CoreGeometry {

struct BezierSegment {
  float start[2];
  float end[2];
  float control1[2];
  float control2[2];
};

class BezierVertices {
 public:
  explicit BezierVertices(const CGSize& size);

  // A new closed path of the segments (+ offset), or null (reported).
  CGPathRef AsCGPathRef(const CGPoint& offset) const;

  const std::vector<BezierSegment>& GetSegments() const { return mSegment; }

 private:
  std::vector<BezierSegment> mSegment;
  float mSize[2];
};

}  // namespace CoreGeometry
