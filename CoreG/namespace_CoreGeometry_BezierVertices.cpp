#include "namespace_CoreGeometry_BezierVertices.h"

#include "CoreGVerify.h"

namespace CoreGeometry {

using CoreGraphics::kBezierVerticesSource;
using CoreGraphics::Verify;

BezierVertices::BezierVertices(const CGSize& size) : mSize{float(size.width), float(size.height)} {
  float sx = 1.5f * mSize[0], sy = 1.5f * mSize[1];
  mSegment.push_back({{0, 0.175f * sy}, {0, -0.325f * sy}, {-0.2f * sx, 0.575f * sy}, {-0.5f * sx, 0.075f * sy}});
  mSegment.push_back({{0, -0.325f * sy}, {0, 0.175f * sy}, {0.5f * sx, 0.075f * sy}, {0.2f * sx, 0.575f * sy}});
}

CGPathRef BezierVertices::AsCGPathRef(const CGPoint& offset) const {
  CGMutablePathRef mutablePath = CGPathCreateMutable();
  if (!Verify(mutablePath != nullptr, "AsCGPathRef", kBezierVerticesSource, 48, " code : mutablePath"))
    return nullptr;
  if (!Verify(mSegment.size() > 1, "AsCGPathRef", kBezierVerticesSource, 48, " code : mSegment.size()>1")) {
    CGPathRelease(mutablePath);
    return nullptr;
  }
  auto x = [&offset](const float* p) { return p[0] + offset.x; };
  auto y = [&offset](const float* p) { return p[1] + offset.y; };
  CGPathMoveToPoint(mutablePath, nullptr, x(mSegment[0].start), y(mSegment[0].start));
  const float* previousEnd = mSegment[0].start;
  for (const BezierSegment& segment : mSegment) {
    if (segment.start[0] != previousEnd[0] || segment.start[1] != previousEnd[1])
      CGPathMoveToPoint(mutablePath, nullptr, x(segment.start), y(segment.start));
    CGPathAddCurveToPoint(mutablePath, nullptr, x(segment.control1), y(segment.control1), x(segment.control2),
                          y(segment.control2), x(segment.end), y(segment.end));
    previousEnd = segment.end;
  }
  CGPathCloseSubpath(mutablePath);
  CGPathRef result = nullptr;
  Verify((result = ::CGPathCreateCopy(mutablePath)) != nullptr, "AsCGPathRef", kBezierVerticesSource, 64,
         " code : result=::CGPathCreateCopy(mutablePath)");
  CGPathRelease(mutablePath);
  return result;
}

}  // namespace CoreGeometry
