#include "namespace_CoreGraphics_RoundRectPath.h"

#include <algorithm>

#include "CoreGVerify.h"

namespace CoreGraphics {

RoundRectPath::RoundRectPath(const CGRect& rect, float radiusX, float radiusY)
    : mRect(rect),
      mRadiusX(radiusX),
      mRadiusY(radiusY),
      mUnitsX(float(rect.size.width) / radiusX),
      mUnitsY(float(rect.size.height) / radiusY) {
  Verify((mPath = CreatePath()) != nullptr, "RoundRectPath", kRoundRectPathSource, 18, " code : mPath = CreatePath()");
}

RoundRectPath::~RoundRectPath() { CGPathRelease(mPath); }

CGPathRef RoundRectPath::CreatePath() const {
  CGMutablePathRef mutablePath = CGPathCreateMutable();
  if (!Verify(mutablePath != nullptr, "CreatePath", kRoundRectPathSource, 30, " code : mutablePath")) return nullptr;
  if (mRadiusX != 0 && mRadiusY != 0) {
    CGFloat w = mUnitsX, h = mUnitsY;
    CGPathMoveToPoint(mutablePath, nullptr, w, h / 2);
    CGPathAddArcToPoint(mutablePath, nullptr, w, h, w / 2, h, 1);
    CGPathAddArcToPoint(mutablePath, nullptr, 0, h, 0, h / 2, 1);
    CGPathAddArcToPoint(mutablePath, nullptr, 0, 0, w / 2, 0, 1);
    CGPathAddArcToPoint(mutablePath, nullptr, w, 0, w, h / 2, 1);
    CGPathCloseSubpath(mutablePath);
  } else {
    CGPathAddRect(mutablePath, nullptr, mRect);
  }
  CGPathRef result = nullptr;
  Verify((result = ::CGPathCreateCopy(mutablePath)) != nullptr, "CreatePath", kRoundRectPathSource, 43,
         " code : result=::CGPathCreateCopy(mutablePath)");
  CGPathRelease(mutablePath);
  return result;
}

void RoundRectPath::Draw(CGContextRef context, double x, double y, float lineWidth) const {
  if (!Verify(mPath != nullptr, "Draw", kRoundRectPathSource, 72, " code : mPath")) return;
  CGContextSaveGState(context);
  CGContextTranslateCTM(context, x + mRect.origin.x, y + mRect.origin.y);
  CGContextScaleCTM(context, mRadiusX, mRadiusY);
  CGContextAddPath(context, mPath);
  if (lineWidth > 0) {
    CGContextSetLineWidth(context, lineWidth);
    CGContextDrawPath(context, kCGPathFillStroke);
  } else {
    CGContextFillPath(context);
  }
  CGContextRestoreGState(context);
}

void DrawRoundRect(CGContextRef context, CGRect rect, float lineWidth, float radius) {
  if (radius < 1.0f)
    radius = std::min(radius * float(rect.size.width), radius * float(rect.size.height));
  RoundRectPath path(CGRectMake(0, 0, rect.size.width, rect.size.height), radius, radius);
  path.Draw(context, rect.origin.x, rect.origin.y, lineWidth);
}

}  // namespace CoreGraphics
