#include <AppKit/NSAffineTransform.h>
#include <AppKit/NSGraphicsContext.h>

#include <cmath>

OBJC_CLASS_DEFINE(NSAffineTransform)

NSAffineTransform* NSAffineTransform::transform() {
  return static_cast<NSAffineTransform*>(alloc()->autorelease());
}

NSAffineTransform* NSAffineTransform::initWithTransform(const NSAffineTransform* other) {
  if (other) mTransform = other->mTransform;
  return this;
}

void NSAffineTransform::translateXBy_yBy(CGFloat deltaX, CGFloat deltaY) {
  mTransform = CGAffineTransformTranslate(mTransform, deltaX, deltaY);
}

void NSAffineTransform::rotateByDegrees(CGFloat angle) { rotateByRadians(angle * M_PI / 180); }

void NSAffineTransform::rotateByRadians(CGFloat angle) {
  mTransform = CGAffineTransformRotate(mTransform, angle);
}

void NSAffineTransform::scaleBy(CGFloat scale) { scaleXBy_yBy(scale, scale); }

void NSAffineTransform::scaleXBy_yBy(CGFloat scaleX, CGFloat scaleY) {
  mTransform = CGAffineTransformScale(mTransform, scaleX, scaleY);
}

void NSAffineTransform::invert() {
  const CGFloat determinant = mTransform.a * mTransform.d - mTransform.b * mTransform.c;
  if (determinant == 0 || !std::isfinite(determinant)) return;
  mTransform = CGAffineTransformInvert(mTransform);
}

void NSAffineTransform::appendTransform(const NSAffineTransform* other) {
  if (other) mTransform = CGAffineTransformConcat(mTransform, other->mTransform);
}

void NSAffineTransform::prependTransform(const NSAffineTransform* other) {
  if (other) mTransform = CGAffineTransformConcat(other->mTransform, mTransform);
}

NSPoint NSAffineTransform::transformPoint(NSPoint point) const {
  return CGPointApplyAffineTransform(point, mTransform);
}

NSSize NSAffineTransform::transformSize(NSSize size) const {
  return CGSizeApplyAffineTransform(size, mTransform);
}

NSAffineTransformStruct NSAffineTransform::transformStruct() const {
  return {mTransform.a, mTransform.b, mTransform.c, mTransform.d, mTransform.tx, mTransform.ty};
}

void NSAffineTransform::setTransformStruct(NSAffineTransformStruct m) {
  mTransform = CGAffineTransformMake(m.m11, m.m12, m.m21, m.m22, m.tX, m.tY);
}

void NSAffineTransform::concat() const {
  if (NSGraphicsContext* context = NSGraphicsContext::currentContext())
    CGContextConcatCTM(context->CGContext(), mTransform);
}

void NSAffineTransform::set() const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  CGContextRef cg = context->CGContext();
  // Undo the transform in place, then apply this one.
  const CGAffineTransform current = CGContextGetCTM(cg);
  CGContextConcatCTM(cg, CGAffineTransformConcat(mTransform, CGAffineTransformInvert(current)));
}
