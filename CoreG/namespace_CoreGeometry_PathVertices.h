#pragma once
// Outline shapes as lists of points around (0, 0), turned into immutable paths placed at
// an offset: regular polygons, star polygons, ray fans and rose curves.
#include <vector>

#include <CoreGraphics/CoreGraphics.h>

namespace CoreGeometry {

struct Point32 {
  float x;
  float y;
};

class PathVertices {
 public:
  // The polygon family. Mode 0: a polygon of `count` (3..25) vertices; mode 1: a star
  // polygon that skips vertices; mode 2: a fan of thin triangles from the centre (rays)
  // between the two angles, `count` rounded down to even, without upper limit.
  PathVertices(const CGSize& size, int count, int mode, float startDegrees, float endDegrees);
  // The rose curve of `petals` (3..17) petals, in steps of 2 degrees (stepSelector ≠ 0)
  // or 0.1 degree.
  PathVertices(const CGSize& size, unsigned stepSelector, int petals, float radiusOffset);

  // A new path of straight lines through the points (+ offset), or null (reported).
  CGPathRef AsCGPathRef(const CGPoint& offset, bool close) const;
  // A new path of arcs rounding each corner, or null (reported).
  CGPathRef AsSmoothCGPathRef(const CGPoint& offset, bool close) const;

  const std::vector<Point32>& GetPoints() const { return mPoint; }
  int GetCount() const { return mCount; }

 private:
  std::vector<Point32> mPoint;
  float mSize[2];
  int mCount;
  int mMode;
  float mStartDegrees;
  float mEndDegrees;
  float mStepRadians = 0;
};

}  // namespace CoreGeometry
