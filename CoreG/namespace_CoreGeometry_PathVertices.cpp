#include "namespace_CoreGeometry_PathVertices.h"

#include <algorithm>
#include <cmath>

#include "CoreGVerify.h"

namespace CoreGeometry {

using CoreGraphics::kPathVerticesSource;
using CoreGraphics::Verify;

PathVertices::PathVertices(const CGSize& size, int count, int mode, float startDegrees, float endDegrees)
    : mSize{float(size.width), float(size.height)},
      mCount(count),
      mMode(mode),
      mStartDegrees(startDegrees),
      mEndDegrees(endDegrees) {
  mCount = std::max(mCount, 3);
  if (mMode == 2)
    mCount &= ~1;
  else
    mCount = std::min(mCount, 25);
  int step = mMode == 1 ? int(float(mCount) * 0.5f - 0.5f) : 1;
  float rx = mSize[0] / 2, ry = mSize[1] / 2;
  mStepRadians = float(2 * M_PI) / float(mCount);
  const Point32 centre{0, 0};
  if (mMode == 2) {
    mPoint.push_back(centre);
    if (mStartDegrees == 0) mPoint.push_back({rx, 0});
  } else {
    mPoint.push_back({rx, 0});
  }
  int j = step;
  for (int i = 0; i < mCount - 1; ++i) {
    float x = float(j) * mStepRadians;
    Point32 p{std::cos(x) * rx, std::sin(x) * ry};
    if (mMode == 2) {
      float degrees = x * 180.0f / float(M_PI);
      if (mStartDegrees <= degrees && degrees <= mEndDegrees) {
        mPoint.push_back(p);
        if (i % 2 == 0) mPoint.push_back(centre);
      }
    } else {
      mPoint.push_back(p);
    }
    j = (j + step) % mCount;
  }
  if (mMode == 2) mPoint.push_back(centre);
}

PathVertices::PathVertices(const CGSize& size, unsigned stepSelector, int petals, float radiusOffset)
    : mSize{float(size.width), float(size.height)},
      mCount(int(stepSelector)),
      mMode(std::clamp(petals, 3, 17)),
      mStartDegrees(radiusOffset),
      mEndDegrees(0) {
  double step = stepSelector != 0 ? 2.0 : double(0.1f);
  mPoint.push_back({0, 0});
  for (double d = 0; d <= 360; d += step) {
    double x = d * M_PI / 180;
    double r = std::sin(mMode * x) * (0.5 + radiusOffset);
    mPoint.push_back({float(std::cos(x) * r * mSize[0] / 2), float(std::sin(x) * r * mSize[1] / 2)});
  }
}

namespace {
CGPathRef CopyAndRelease(CGMutablePathRef mutablePath, const char* function, SInt32 line) {
  CGPathRef result = nullptr;
  Verify((result = ::CGPathCreateCopy(mutablePath)) != nullptr, function, kPathVerticesSource, line,
         " code : result=::CGPathCreateCopy(mutablePath)");
  CGPathRelease(mutablePath);
  return result;
}
}  // namespace

CGPathRef PathVertices::AsCGPathRef(const CGPoint& offset, bool close) const {
  CGMutablePathRef mutablePath = CGPathCreateMutable();
  if (!Verify(mutablePath != nullptr, "AsCGPathRef", kPathVerticesSource, 27, " code : mutablePath")) return nullptr;
  if (!Verify(mPoint.size() > 1, "AsCGPathRef", kPathVerticesSource, 27, " code : mPoint.size()>1")) {
    CGPathRelease(mutablePath);
    return nullptr;
  }
  CGPathMoveToPoint(mutablePath, nullptr, mPoint[0].x + offset.x, mPoint[0].y + offset.y);
  for (size_t k = 1; k < mPoint.size(); ++k)
    CGPathAddLineToPoint(mutablePath, nullptr, mPoint[k].x + offset.x, mPoint[k].y + offset.y);
  if (close) CGPathCloseSubpath(mutablePath);
  return CopyAndRelease(mutablePath, "AsCGPathRef", 38);
}

CGPathRef PathVertices::AsSmoothCGPathRef(const CGPoint& offset, bool close) const {
  CGMutablePathRef mutablePath = CGPathCreateMutable();
  if (!Verify(mutablePath != nullptr, "AsSmoothCGPathRef", kPathVerticesSource, 48, " code : mutablePath"))
    return nullptr;
  if (!Verify(mPoint.size() > 1, "AsSmoothCGPathRef", kPathVerticesSource, 48, " code : mPoint.size()>1")) {
    CGPathRelease(mutablePath);
    return nullptr;
  }
  CGPathMoveToPoint(mutablePath, nullptr, mPoint[0].x + offset.x, mPoint[0].y + offset.y);
  for (size_t k = 1; k < mPoint.size(); ++k) {
    const Point32& previous = mPoint[k - 1];
    const Point32& point = mPoint[k];
    float radius = std::hypot(point.x - previous.x, point.y - previous.y) * 3.14f * 0.5f;
    CGPathAddArcToPoint(mutablePath, nullptr, previous.x + offset.x, previous.y + offset.y, point.x + offset.x,
                        point.y + offset.y, radius);
  }
  if (close) CGPathCloseSubpath(mutablePath);
  return CopyAndRelease(mutablePath, "AsSmoothCGPathRef", 64);
}

}  // namespace CoreGeometry
