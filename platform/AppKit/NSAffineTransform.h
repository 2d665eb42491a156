#pragma once
// Affine transforms of drawing coordinates. Each operation applies before the transform as it
// stands (a translation then acts on points first), as CoreGraphics' CGAffineTransformTranslate
// and its kin do. concat adds the transform to the current graphics context's; set makes it
// the context's whole transform, relative to the context's device space (for an image's
// lockFocus, its pixels).
#include <CoreGraphics/CGAffineTransform.h>
#include <Foundation/NSObject.h>

#include <AppKit/AppKitDefines.h>
#include <AppKit/NSGeometry.h>

struct NSAffineTransformStruct {
  CGFloat m11, m12, m21, m22;
  CGFloat tX, tY;
};

class APPKIT_CLASS NSAffineTransform : public NSObject {
  OBJC_CLASS_DECL(NSAffineTransform, NSObject)

 public:
  // The identity, autoreleased.
  static NSAffineTransform* transform();
  NSAffineTransform* initWithTransform(const NSAffineTransform* other);

  void translateXBy_yBy(CGFloat deltaX, CGFloat deltaY);
  void rotateByDegrees(CGFloat angle);
  void rotateByRadians(CGFloat angle);
  void scaleBy(CGFloat scale);
  void scaleXBy_yBy(CGFloat scaleX, CGFloat scaleY);
  // Leaves a transform that cannot be inverted as it is.
  void invert();
  // This transform, then the other.
  void appendTransform(const NSAffineTransform* other);
  // The other, then this transform.
  void prependTransform(const NSAffineTransform* other);

  NSPoint transformPoint(NSPoint point) const;
  NSSize transformSize(NSSize size) const;
  NSAffineTransformStruct transformStruct() const;
  void setTransformStruct(NSAffineTransformStruct matrix);

  void concat() const;
  void set() const;

 protected:
  NSAffineTransform() = default;

 private:
  CGAffineTransform mTransform = CGAffineTransformIdentity;
};
