#include "backend/CGPathObject.h"

#include <algorithm>
#include <cmath>

namespace {
CGPoint apply(const CGAffineTransform* m, CGFloat x, CGFloat y) {
  return m ? CGPointApplyAffineTransform(CGPointMake(x, y), *m) : CGPointMake(x, y);
}
CGFloat length(CGPoint v) { return std::hypot(v.x, v.y); }
}  // namespace

bool CGPath::isEqual(const NSObject* other) const {
  auto* path = dynamic_cast<const CGPath*>(other);
  if (!path || path->elements.size() != elements.size()) return false;
  for (size_t i = 0; i < elements.size(); ++i) {
    const Element& a = elements[i];
    const Element& b = path->elements[i];
    if (a.type != b.type) return false;
    for (int k = 0; k < 3; ++k)
      if (!CGPointEqualToPoint(a.points[k], b.points[k])) return false;
  }
  return true;
}

void CGPath::moveTo(CGPoint p) {
  elements.push_back({kCGPathElementMoveToPoint, {p, {}, {}}});
  current = subpathStart = p;
  hasCurrentPoint = true;
}

void CGPath::lineTo(CGPoint p) {
  if (!hasCurrentPoint) return moveTo(p);
  elements.push_back({kCGPathElementAddLineToPoint, {p, {}, {}}});
  current = p;
}

void CGPath::quadTo(CGPoint cp, CGPoint p) {
  if (!hasCurrentPoint) moveTo(cp);
  elements.push_back({kCGPathElementAddQuadCurveToPoint, {cp, p, {}}});
  current = p;
}

void CGPath::curveTo(CGPoint cp1, CGPoint cp2, CGPoint p) {
  if (!hasCurrentPoint) moveTo(cp1);
  elements.push_back({kCGPathElementAddCurveToPoint, {cp1, cp2, p}});
  current = p;
}

void CGPath::close() {
  if (!hasCurrentPoint || elements.back().type == kCGPathElementCloseSubpath) return;
  elements.push_back({kCGPathElementCloseSubpath, {}});
  current = subpathStart;
}

void CGPath::addArc(const CGAffineTransform* m, CGPoint center, CGFloat radius, CGFloat startAngle,
                    CGFloat sweep) {
  CGPoint start = apply(m, center.x + radius * std::cos(startAngle), center.y + radius * std::sin(startAngle));
  if (hasCurrentPoint)
    lineTo(start);
  else
    moveTo(start);
  // Quarter circles or less keep the cubic approximation within a tiny fraction of a pixel.
  int segments = std::max(1, int(std::ceil(std::fabs(sweep) / (M_PI / 2) - 1e-9)));
  CGFloat step = sweep / segments;
  CGFloat k = 4.0 / 3.0 * std::tan(step / 4);
  CGFloat a0 = startAngle;
  for (int i = 0; i < segments; ++i) {
    CGFloat a1 = a0 + step;
    CGFloat c0 = std::cos(a0), s0 = std::sin(a0), c1 = std::cos(a1), s1 = std::sin(a1);
    CGPoint cp1 = apply(m, center.x + radius * (c0 - k * s0), center.y + radius * (s0 + k * c0));
    CGPoint cp2 = apply(m, center.x + radius * (c1 + k * s1), center.y + radius * (s1 - k * c1));
    CGPoint end = apply(m, center.x + radius * c1, center.y + radius * s1);
    curveTo(cp1, cp2, end);
    a0 = a1;
  }
}

void CGPath::append(const CGPath& other, const CGAffineTransform* m) {
  for (const Element& e : other.elements) {
    CGPoint p[3];
    for (int k = 0; k < 3; ++k) p[k] = apply(m, e.points[k].x, e.points[k].y);
    switch (e.type) {
      case kCGPathElementMoveToPoint: moveTo(p[0]); break;
      case kCGPathElementAddLineToPoint: lineTo(p[0]); break;
      case kCGPathElementAddQuadCurveToPoint: quadTo(p[0], p[1]); break;
      case kCGPathElementAddCurveToPoint: curveTo(p[0], p[1], p[2]); break;
      case kCGPathElementCloseSubpath: close(); break;
    }
  }
}

void CGPath::replay(cairo_t* cr) const {
  CGPoint last{};
  for (const Element& e : elements) {
    const CGPoint* p = e.points;
    switch (e.type) {
      case kCGPathElementMoveToPoint:
        cairo_move_to(cr, p[0].x, p[0].y);
        last = p[0];
        break;
      case kCGPathElementAddLineToPoint:
        cairo_line_to(cr, p[0].x, p[0].y);
        last = p[0];
        break;
      case kCGPathElementAddQuadCurveToPoint:
        cairo_curve_to(cr, last.x + 2.0 / 3 * (p[0].x - last.x), last.y + 2.0 / 3 * (p[0].y - last.y),
                       p[1].x + 2.0 / 3 * (p[0].x - p[1].x), p[1].y + 2.0 / 3 * (p[0].y - p[1].y),
                       p[1].x, p[1].y);
        last = p[1];
        break;
      case kCGPathElementAddCurveToPoint:
        cairo_curve_to(cr, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
        last = p[2];
        break;
      case kCGPathElementCloseSubpath: {
        cairo_close_path(cr);
        double x, y;
        cairo_get_current_point(cr, &x, &y);
        last = CGPointMake(x, y);
        break;
      }
    }
  }
}

CFTypeID CGPathGetTypeID(void) { return CGPath::typeID(); }

CGMutablePathRef CGPathCreateMutable(void) { return new CGPath(); }

CGMutablePathRef CGPathCreateMutableCopy(CGPathRef path) {
  if (!path) return nullptr;
  auto* copy = new CGPath();
  copy->elements = path->elements;
  copy->current = path->current;
  copy->subpathStart = path->subpathStart;
  copy->hasCurrentPoint = path->hasCurrentPoint;
  return copy;
}

CGPathRef CGPathCreateCopy(CGPathRef path) { return CGPathCreateMutableCopy(path); }
CGPathRef CGPathRetain(CGPathRef path) { return cgRetain(path); }
void CGPathRelease(CGPathRef path) { cgRelease(path); }

bool CGPathIsEmpty(CGPathRef path) { return !path || path->elements.empty(); }

bool CGPathEqualToPath(CGPathRef path1, CGPathRef path2) {
  if (path1 == path2) return true;
  return path1 && path2 && path1->isEqual(path2);
}

CGPoint CGPathGetCurrentPoint(CGPathRef path) {
  return path && path->hasCurrentPoint ? path->current : CGPointZero;
}

CGRect CGPathGetBoundingBox(CGPathRef path) {
  if (CGPathIsEmpty(path)) return CGRectNull;
  CGFloat minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (const CGPath::Element& e : path->elements) {
    int count = e.type == kCGPathElementAddCurveToPoint       ? 3
                : e.type == kCGPathElementAddQuadCurveToPoint ? 2
                : e.type == kCGPathElementCloseSubpath        ? 0
                                                              : 1;
    for (int k = 0; k < count; ++k) {
      minX = std::min(minX, e.points[k].x);
      minY = std::min(minY, e.points[k].y);
      maxX = std::max(maxX, e.points[k].x);
      maxY = std::max(maxY, e.points[k].y);
    }
  }
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

void CGPathApply(CGPathRef path, void* info, CGPathApplierFunction function) {
  if (!path || !function) return;
  for (const CGPath::Element& e : path->elements) {
    CGPoint points[3] = {e.points[0], e.points[1], e.points[2]};
    CGPathElement element{e.type, points};
    function(info, &element);
  }
}

void CGPathMoveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y) {
  if (path) path->moveTo(apply(m, x, y));
}

void CGPathAddLineToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y) {
  if (path) path->lineTo(apply(m, x, y));
}

void CGPathAddQuadCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat cpx,
                               CGFloat cpy, CGFloat x, CGFloat y) {
  if (path) path->quadTo(apply(m, cpx, cpy), apply(m, x, y));
}

void CGPathAddCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat cp1x,
                           CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y) {
  if (path) path->curveTo(apply(m, cp1x, cp1y), apply(m, cp2x, cp2y), apply(m, x, y));
}

void CGPathCloseSubpath(CGMutablePathRef path) {
  if (path) path->close();
}

void CGPathAddRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect) {
  if (!path) return;
  rect = CGRectStandardize(rect);
  CGFloat x0 = rect.origin.x, y0 = rect.origin.y;
  CGFloat x1 = x0 + rect.size.width, y1 = y0 + rect.size.height;
  path->moveTo(apply(m, x0, y0));
  path->lineTo(apply(m, x1, y0));
  path->lineTo(apply(m, x1, y1));
  path->lineTo(apply(m, x0, y1));
  path->close();
}

void CGPathAddEllipseInRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect) {
  if (!path) return;
  rect = CGRectStandardize(rect);
  CGFloat rx = rect.size.width / 2, ry = rect.size.height / 2;
  CGFloat cx = rect.origin.x + rx, cy = rect.origin.y + ry;
  // A circle scaled to the rectangle, so that the control points stay exact for ellipses.
  CGAffineTransform toRect = CGAffineTransformMake(rx, 0, 0, ry, cx, cy);
  CGAffineTransform full = m ? CGAffineTransformConcat(toRect, *m) : toRect;
  path->hasCurrentPoint = false;
  path->addArc(&full, CGPointZero, 1, 0, 2 * M_PI);
  path->close();
}

void CGPathAddArc(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y,
                  CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise) {
  if (!path) return;
  CGFloat sweep = endAngle - startAngle;
  if (clockwise) {
    if (sweep > 0) sweep = std::fmod(sweep, 2 * M_PI) - 2 * M_PI;
    sweep = std::max(sweep, -2 * M_PI);
  } else {
    if (sweep < 0) sweep = std::fmod(sweep, 2 * M_PI) + 2 * M_PI;
    sweep = std::min(sweep, 2 * M_PI);
  }
  path->addArc(m, CGPointMake(x, y), radius, startAngle, sweep);
}

void CGPathAddArcToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x1, CGFloat y1,
                         CGFloat x2, CGFloat y2, CGFloat radius) {
  if (!path) return;
  if (!path->hasCurrentPoint) path->moveTo(apply(m, x1, y1));
  // The geometry is worked out before `m`, so the current point is taken back through it.
  CGPoint p0 = m ? CGPointApplyAffineTransform(path->current, CGAffineTransformInvert(*m)) : path->current;
  CGPoint u1{p0.x - x1, p0.y - y1}, u2{x2 - x1, y2 - y1};
  CGFloat l1 = length(u1), l2 = length(u2);
  CGFloat cross = l1 > 0 && l2 > 0 ? (u1.x * u2.y - u1.y * u2.x) / (l1 * l2) : 0;
  if (radius <= 0 || std::fabs(cross) < 1e-9) {
    path->lineTo(apply(m, x1, y1));
    return;
  }
  u1 = {u1.x / l1, u1.y / l1};
  u2 = {u2.x / l2, u2.y / l2};
  CGFloat cosTheta = std::clamp(u1.x * u2.x + u1.y * u2.y, -1.0, 1.0);
  CGFloat halfTheta = std::acos(cosTheta) / 2;
  CGFloat tangentDistance = radius / std::tan(halfTheta);
  CGPoint t1{x1 + u1.x * tangentDistance, y1 + u1.y * tangentDistance};
  CGPoint t2{x1 + u2.x * tangentDistance, y1 + u2.y * tangentDistance};
  CGPoint bisector{u1.x + u2.x, u1.y + u2.y};
  CGFloat bisectorLength = length(bisector);
  CGFloat centerDistance = radius / std::sin(halfTheta);
  CGPoint center{x1 + bisector.x / bisectorLength * centerDistance,
                 y1 + bisector.y / bisectorLength * centerDistance};
  CGFloat a0 = std::atan2(t1.y - center.y, t1.x - center.x);
  CGFloat a1 = std::atan2(t2.y - center.y, t2.x - center.x);
  CGFloat sweep = a1 - a0;
  if (sweep > M_PI) sweep -= 2 * M_PI;
  if (sweep < -M_PI) sweep += 2 * M_PI;
  path->addArc(m, center, radius, a0, sweep);
}

void CGPathAddPath(CGMutablePathRef path1, const CGAffineTransform* m, CGPathRef path2) {
  if (path1 && path2) path1->append(*path2, m);
}
