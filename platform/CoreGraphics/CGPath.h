#pragma once
// Paths: subpaths of lines and cubic or quadratic curves. Arcs are stored as cubic curves.
#include <CoreGraphics/CGAffineTransform.h>

typedef const struct CGPath* CGPathRef;
typedef struct CGPath* CGMutablePathRef;

typedef int32_t CGPathElementType;
enum : int32_t {
  kCGPathElementMoveToPoint,
  kCGPathElementAddLineToPoint,
  kCGPathElementAddQuadCurveToPoint,
  kCGPathElementAddCurveToPoint,
  kCGPathElementCloseSubpath,
};

struct CGPathElement {
  CGPathElementType type;
  CGPoint* points;
};
typedef void (*CGPathApplierFunction)(void* info, const CGPathElement* element);

typedef int32_t CGPathDrawingMode;
enum : int32_t { kCGPathFill, kCGPathEOFill, kCGPathStroke, kCGPathFillStroke, kCGPathEOFillStroke };

CG_EXTERN CFTypeID CGPathGetTypeID(void);
CG_EXTERN CGMutablePathRef CGPathCreateMutable(void);
CG_EXTERN CGPathRef CGPathCreateCopy(CGPathRef path);
CG_EXTERN CGMutablePathRef CGPathCreateMutableCopy(CGPathRef path);
CG_EXTERN CGPathRef CGPathRetain(CGPathRef path);
CG_EXTERN void CGPathRelease(CGPathRef path);
CG_EXTERN bool CGPathIsEmpty(CGPathRef path);
CG_EXTERN bool CGPathEqualToPath(CGPathRef path1, CGPathRef path2);
CG_EXTERN CGPoint CGPathGetCurrentPoint(CGPathRef path);
// The smallest rectangle holding every point of the path, control points included.
CG_EXTERN CGRect CGPathGetBoundingBox(CGPathRef path);
CG_EXTERN void CGPathApply(CGPathRef path, void* info, CGPathApplierFunction function);

// `m` (may be null) transforms the points before they are added.
CG_EXTERN void CGPathMoveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y);
CG_EXTERN void CGPathAddLineToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y);
CG_EXTERN void CGPathAddQuadCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m,
                                         CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
CG_EXTERN void CGPathAddCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m,
                                     CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y,
                                     CGFloat x, CGFloat y);
CG_EXTERN void CGPathCloseSubpath(CGMutablePathRef path);
CG_EXTERN void CGPathAddRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect);
CG_EXTERN void CGPathAddEllipseInRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect);
// Angles in radians from the x axis; `clockwise` as seen in a y-up space.
CG_EXTERN void CGPathAddArc(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y,
                            CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise);
// A line from the current point towards (x1, y1), then an arc of `radius` tangent to that
// line and to the line from (x1, y1) to (x2, y2). Collinear points or a zero radius give a
// straight line to (x1, y1).
CG_EXTERN void CGPathAddArcToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x1,
                                   CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius);
CG_EXTERN void CGPathAddPath(CGMutablePathRef path1, const CGAffineTransform* m, CGPathRef path2);
