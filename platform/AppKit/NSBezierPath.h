#pragma once
// Paths in the current graphics context's coordinates, filled, stroked or clipped to with
// their own line width, cap and join (each drawing leaves the context's state as it was).
#include <CoreGraphics/CGPath.h>
#include <Foundation/NSObject.h>

#include <AppKit/AppKitDefines.h>
#include <AppKit/NSGeometry.h>

class NSAffineTransform;

typedef NSUInteger NSLineCapStyle;
enum : NSUInteger { NSButtLineCapStyle = 0, NSRoundLineCapStyle = 1, NSSquareLineCapStyle = 2 };
typedef NSUInteger NSLineJoinStyle;
enum : NSUInteger { NSMiterLineJoinStyle = 0, NSRoundLineJoinStyle = 1, NSBevelLineJoinStyle = 2 };

class APPKIT_CLASS NSBezierPath : public NSObject {
  OBJC_CLASS_DECL(NSBezierPath, NSObject)

 public:
  // All autoreleased.
  static NSBezierPath* bezierPath();
  static NSBezierPath* bezierPathWithRect(NSRect rect);
  static NSBezierPath* bezierPathWithOvalInRect(NSRect rect);
  static NSBezierPath* bezierPathWithRoundedRect_xRadius_yRadius(NSRect rect, CGFloat xRadius,
                                                                 CGFloat yRadius);
  // Fill or stroke a rectangle in the current colours.
  static void fillRect(NSRect rect);
  static void strokeRect(NSRect rect);

  NSObject* init() override;

  void moveToPoint(NSPoint point);
  void lineToPoint(NSPoint point);
  void curveToPoint_controlPoint1_controlPoint2(NSPoint point, NSPoint control1, NSPoint control2);
  void closePath();
  void removeAllPoints();
  void appendBezierPath(const NSBezierPath* path);
  void appendBezierPathWithRect(NSRect rect);
  void appendBezierPathWithOvalInRect(NSRect rect);
  void appendBezierPathWithRoundedRect_xRadius_yRadius(NSRect rect, CGFloat xRadius, CGFloat yRadius);
  void transformUsingAffineTransform(const NSAffineTransform* transform);

  bool isEmpty() const;
  // The smallest rectangle that holds every point, control points included.
  NSRect bounds() const;
  NSPoint currentPoint() const;
  CGPathRef CGPath() const { return mPath; }

  CGFloat lineWidth() const { return mLineWidth; }
  void setLineWidth(CGFloat width) { mLineWidth = width; }
  NSLineCapStyle lineCapStyle() const { return mLineCap; }
  void setLineCapStyle(NSLineCapStyle style) { mLineCap = style; }
  NSLineJoinStyle lineJoinStyle() const { return mLineJoin; }
  void setLineJoinStyle(NSLineJoinStyle style) { mLineJoin = style; }

  // In the current fill or stroke colour.
  void fill() const;
  void stroke() const;
  // Narrows the current context's clip to the path (until its graphics state is restored).
  void addClip() const;

 protected:
  NSBezierPath() = default;
  ~NSBezierPath() override;

 private:
  void paint(bool fill) const;

  CGMutablePathRef mPath = nullptr;
  CGFloat mLineWidth = 1.0;
  NSLineCapStyle mLineCap = NSButtLineCapStyle;
  NSLineJoinStyle mLineJoin = NSMiterLineJoinStyle;
};
