#include <CoreGraphics/CGGeometry.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

const CGPoint CGPointZero = {0, 0};
const CGSize CGSizeZero = {0, 0};
const CGRect CGRectZero = {{0, 0}, {0, 0}};
const CGRect CGRectNull = {{INFINITY, INFINITY}, {0, 0}};
const CGRect CGRectInfinite = {{-DBL_MAX / 2, -DBL_MAX / 2}, {DBL_MAX, DBL_MAX}};

bool CGRectIsInfinite(CGRect r) { return CGRectEqualToRect(r, CGRectInfinite); }

CGRect CGRectStandardize(CGRect r) {
  if (r.size.width < 0) {
    r.origin.x += r.size.width;
    r.size.width = -r.size.width;
  }
  if (r.size.height < 0) {
    r.origin.y += r.size.height;
    r.size.height = -r.size.height;
  }
  return r;
}

CGFloat CGRectGetMinX(CGRect r) { return CGRectStandardize(r).origin.x; }
CGFloat CGRectGetMinY(CGRect r) { return CGRectStandardize(r).origin.y; }
CGFloat CGRectGetMaxX(CGRect r) {
  r = CGRectStandardize(r);
  return r.origin.x + r.size.width;
}
CGFloat CGRectGetMaxY(CGRect r) {
  r = CGRectStandardize(r);
  return r.origin.y + r.size.height;
}
CGFloat CGRectGetMidX(CGRect r) {
  r = CGRectStandardize(r);
  return r.origin.x + r.size.width / 2;
}
CGFloat CGRectGetMidY(CGRect r) {
  r = CGRectStandardize(r);
  return r.origin.y + r.size.height / 2;
}
CGFloat CGRectGetWidth(CGRect r) { return std::fabs(r.size.width); }
CGFloat CGRectGetHeight(CGRect r) { return std::fabs(r.size.height); }

bool CGPointEqualToPoint(CGPoint a, CGPoint b) { return a.x == b.x && a.y == b.y; }
bool CGSizeEqualToSize(CGSize a, CGSize b) { return a.width == b.width && a.height == b.height; }
bool CGRectEqualToRect(CGRect a, CGRect b) {
  a = CGRectStandardize(a);
  b = CGRectStandardize(b);
  return CGPointEqualToPoint(a.origin, b.origin) && CGSizeEqualToSize(a.size, b.size);
}

bool CGRectIsNull(CGRect r) { return std::isinf(r.origin.x) || std::isinf(r.origin.y); }
bool CGRectIsEmpty(CGRect r) { return CGRectIsNull(r) || r.size.width == 0 || r.size.height == 0; }

CGRect CGRectInset(CGRect r, CGFloat dx, CGFloat dy) {
  r = CGRectStandardize(r);
  r.origin.x += dx;
  r.origin.y += dy;
  r.size.width -= 2 * dx;
  r.size.height -= 2 * dy;
  if (r.size.width < 0 || r.size.height < 0) return CGRectNull;
  return r;
}

CGRect CGRectOffset(CGRect r, CGFloat dx, CGFloat dy) {
  r = CGRectStandardize(r);
  r.origin.x += dx;
  r.origin.y += dy;
  return r;
}

CGRect CGRectIntegral(CGRect r) {
  if (CGRectIsNull(r)) return r;
  r = CGRectStandardize(r);
  CGFloat minX = std::floor(r.origin.x), minY = std::floor(r.origin.y);
  CGFloat maxX = std::ceil(r.origin.x + r.size.width), maxY = std::ceil(r.origin.y + r.size.height);
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect CGRectUnion(CGRect a, CGRect b) {
  if (CGRectIsNull(a)) return CGRectStandardize(b);
  if (CGRectIsNull(b)) return CGRectStandardize(a);
  CGFloat minX = std::min(CGRectGetMinX(a), CGRectGetMinX(b));
  CGFloat minY = std::min(CGRectGetMinY(a), CGRectGetMinY(b));
  CGFloat maxX = std::max(CGRectGetMaxX(a), CGRectGetMaxX(b));
  CGFloat maxY = std::max(CGRectGetMaxY(a), CGRectGetMaxY(b));
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect CGRectIntersection(CGRect a, CGRect b) {
  if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectNull;
  CGFloat minX = std::max(CGRectGetMinX(a), CGRectGetMinX(b));
  CGFloat minY = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
  CGFloat maxX = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b));
  CGFloat maxY = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
  if (maxX < minX || maxY < minY) return CGRectNull;
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

bool CGRectContainsPoint(CGRect r, CGPoint p) {
  return !CGRectIsNull(r) && p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) &&
         p.y >= CGRectGetMinY(r) && p.y < CGRectGetMaxY(r);
}

bool CGRectIntersectsRect(CGRect a, CGRect b) {
  CGRect r = CGRectIntersection(a, b);
  return !CGRectIsNull(r) && r.size.width > 0 && r.size.height > 0;
}
