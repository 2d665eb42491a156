#include <AppKit/NSAffineTransform.h>
#include <AppKit/NSBezierPath.h>
#include <AppKit/NSGraphicsContext.h>

#include <algorithm>
#include <cmath>

OBJC_CLASS_DEFINE(NSBezierPath)

NSBezierPath::~NSBezierPath() {
  if (mPath) CGPathRelease(mPath);
}

NSObject* NSBezierPath::init() {
  mPath = CGPathCreateMutable();
  return this;
}

NSBezierPath* NSBezierPath::bezierPath() {
  return static_cast<NSBezierPath*>(alloc()->init()->autorelease());
}

NSBezierPath* NSBezierPath::bezierPathWithRect(NSRect rect) {
  NSBezierPath* path = bezierPath();
  path->appendBezierPathWithRect(rect);
  return path;
}

NSBezierPath* NSBezierPath::bezierPathWithOvalInRect(NSRect rect) {
  NSBezierPath* path = bezierPath();
  path->appendBezierPathWithOvalInRect(rect);
  return path;
}

NSBezierPath* NSBezierPath::bezierPathWithRoundedRect_xRadius_yRadius(NSRect rect, CGFloat xRadius,
                                                                      CGFloat yRadius) {
  NSBezierPath* path = bezierPath();
  path->appendBezierPathWithRoundedRect_xRadius_yRadius(rect, xRadius, yRadius);
  return path;
}

void NSBezierPath::fillRect(NSRect rect) { bezierPathWithRect(rect)->fill(); }

void NSBezierPath::strokeRect(NSRect rect) { bezierPathWithRect(rect)->stroke(); }

void NSBezierPath::moveToPoint(NSPoint point) { CGPathMoveToPoint(mPath, nullptr, point.x, point.y); }

void NSBezierPath::lineToPoint(NSPoint point) { CGPathAddLineToPoint(mPath, nullptr, point.x, point.y); }

void NSBezierPath::curveToPoint_controlPoint1_controlPoint2(NSPoint point, NSPoint control1,
                                                            NSPoint control2) {
  CGPathAddCurveToPoint(mPath, nullptr, control1.x, control1.y, control2.x, control2.y, point.x, point.y);
}

void NSBezierPath::closePath() { CGPathCloseSubpath(mPath); }

void NSBezierPath::removeAllPoints() {
  CGPathRelease(mPath);
  mPath = CGPathCreateMutable();
}

void NSBezierPath::appendBezierPath(const NSBezierPath* path) {
  if (path) CGPathAddPath(mPath, nullptr, path->mPath);
}

void NSBezierPath::appendBezierPathWithRect(NSRect rect) { CGPathAddRect(mPath, nullptr, rect); }

void NSBezierPath::appendBezierPathWithOvalInRect(NSRect rect) {
  CGPathAddEllipseInRect(mPath, nullptr, rect);
}

void NSBezierPath::appendBezierPathWithRoundedRect_xRadius_yRadius(NSRect rect, CGFloat xRadius,
                                                                   CGFloat yRadius) {
  rect = CGRectStandardize(rect);
  xRadius = std::clamp<CGFloat>(xRadius, 0, rect.size.width / 2);
  yRadius = std::clamp<CGFloat>(yRadius, 0, rect.size.height / 2);
  if (xRadius == 0 || yRadius == 0) {
    appendBezierPathWithRect(rect);
    return;
  }
  // Quarter ellipses drawn as unit circles under a scale, one per corner, anticlockwise.
  const CGFloat corners[4][2] = {{NSMaxX(rect) - xRadius, NSMinY(rect) + yRadius},
                                 {NSMaxX(rect) - xRadius, NSMaxY(rect) - yRadius},
                                 {NSMinX(rect) + xRadius, NSMaxY(rect) - yRadius},
                                 {NSMinX(rect) + xRadius, NSMinY(rect) + yRadius}};
  CGPathMoveToPoint(mPath, nullptr, NSMinX(rect) + xRadius, NSMinY(rect));
  for (int i = 0; i < 4; ++i) {
    CGAffineTransform corner = CGAffineTransformMakeTranslation(corners[i][0], corners[i][1]);
    corner = CGAffineTransformScale(corner, xRadius, yRadius);
    CGPathAddArc(mPath, &corner, 0, 0, 1, (i - 1) * M_PI / 2, i * M_PI / 2, false);
  }
  CGPathCloseSubpath(mPath);
}

void NSBezierPath::transformUsingAffineTransform(const NSAffineTransform* transform) {
  if (!transform) return;
  const NSAffineTransformStruct m = transform->transformStruct();
  const CGAffineTransform t = CGAffineTransformMake(m.m11, m.m12, m.m21, m.m22, m.tX, m.tY);
  CGMutablePathRef moved = CGPathCreateMutable();
  CGPathAddPath(moved, &t, mPath);
  CGPathRelease(mPath);
  mPath = moved;
}

bool NSBezierPath::isEmpty() const { return CGPathIsEmpty(mPath); }

NSRect NSBezierPath::bounds() const { return isEmpty() ? NSZeroRect : CGPathGetBoundingBox(mPath); }

NSPoint NSBezierPath::currentPoint() const { return CGPathGetCurrentPoint(mPath); }

void NSBezierPath::paint(bool fill) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || isEmpty()) return;
  CGContextRef cg = context->CGContext();
  CGContextSaveGState(cg);
  CGContextSetLineWidth(cg, mLineWidth);
  CGContextSetLineCap(cg, CGLineCap(mLineCap));
  CGContextSetLineJoin(cg, CGLineJoin(mLineJoin));
  CGContextBeginPath(cg);
  CGContextAddPath(cg, mPath);
  if (fill) {
    CGContextFillPath(cg);
  } else {
    CGContextStrokePath(cg);
  }
  CGContextRestoreGState(cg);
}

void NSBezierPath::fill() const { paint(true); }

void NSBezierPath::stroke() const { paint(false); }

void NSBezierPath::addClip() const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  CGContextRef cg = context->CGContext();
  CGContextBeginPath(cg);
  CGContextAddPath(cg, mPath);
  CGContextClip(cg);
}
