#include <CoreGraphics/CGAffineTransform.h>

#include <algorithm>
#include <cmath>

const CGAffineTransform CGAffineTransformIdentity = {1, 0, 0, 1, 0, 0};

CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx,
                                        CGFloat ty) {
  return CGAffineTransform{a, b, c, d, tx, ty};
}

CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) {
  return CGAffineTransform{1, 0, 0, 1, tx, ty};
}

CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) {
  return CGAffineTransform{sx, 0, 0, sy, 0, 0};
}

CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle) {
  CGFloat c = std::cos(angle), s = std::sin(angle);
  return CGAffineTransform{c, s, -s, c, 0, 0};
}

bool CGAffineTransformEqualToTransform(CGAffineTransform t1, CGAffineTransform t2) {
  return t1.a == t2.a && t1.b == t2.b && t1.c == t2.c && t1.d == t2.d && t1.tx == t2.tx &&
         t1.ty == t2.ty;
}

bool CGAffineTransformIsIdentity(CGAffineTransform t) {
  return CGAffineTransformEqualToTransform(t, CGAffineTransformIdentity);
}

CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2) {
  return CGAffineTransform{t1.a * t2.a + t1.b * t2.c,         t1.a * t2.b + t1.b * t2.d,
                           t1.c * t2.a + t1.d * t2.c,         t1.c * t2.b + t1.d * t2.d,
                           t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty) {
  return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}

CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy) {
  return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}

CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle) {
  return CGAffineTransformConcat(CGAffineTransformMakeRotation(angle), t);
}

CGAffineTransform CGAffineTransformInvert(CGAffineTransform t) {
  CGFloat det = t.a * t.d - t.b * t.c;
  if (det == 0) return t;
  CGAffineTransform r;
  r.a = t.d / det;
  r.b = -t.b / det;
  r.c = -t.c / det;
  r.d = t.a / det;
  r.tx = -(r.a * t.tx + r.c * t.ty);
  r.ty = -(r.b * t.tx + r.d * t.ty);
  return r;
}

CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t) {
  return CGPoint{t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

CGSize CGSizeApplyAffineTransform(CGSize s, CGAffineTransform t) {
  return CGSize{t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height};
}

CGRect CGRectApplyAffineTransform(CGRect r, CGAffineTransform t) {
  if (CGRectIsNull(r)) return r;
  r = CGRectStandardize(r);
  CGPoint corners[4] = {
      CGPointApplyAffineTransform(r.origin, t),
      CGPointApplyAffineTransform(CGPointMake(r.origin.x + r.size.width, r.origin.y), t),
      CGPointApplyAffineTransform(CGPointMake(r.origin.x, r.origin.y + r.size.height), t),
      CGPointApplyAffineTransform(
          CGPointMake(r.origin.x + r.size.width, r.origin.y + r.size.height), t)};
  CGFloat minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
  for (const CGPoint& p : corners) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}
