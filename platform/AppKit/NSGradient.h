#pragma once
// Linear gradients between colours at locations from 0 to 1 (evenly spaced unless given),
// interpolated in RGB with alpha, drawn into the current graphics context.
#include <Foundation/NSObject.h>

#include <vector>

#include <AppKit/AppKitDefines.h>
#include <AppKit/NSGeometry.h>

class NSArray;
class NSBezierPath;
class NSColor;

typedef NSUInteger NSGradientDrawingOptions;
enum : NSUInteger { NSGradientDrawsBeforeStartingLocation = 1, NSGradientDrawsAfterEndingLocation = 2 };

class APPKIT_CLASS NSGradient : public NSObject {
  OBJC_CLASS_DECL(NSGradient, NSObject)

 public:
  NSGradient* initWithStartingColor_endingColor(NSColor* startingColor, NSColor* endingColor);
  // At least two colours; null (and the object released) for fewer.
  NSGradient* initWithColors(NSArray* colors);
  NSGradient* initWithColors_atLocations(NSArray* colors, const CGFloat* locations);

  NSInteger numberOfColorStops() const { return NSInteger(mStops.size()); }
  // The colour at a location, interpolated (autoreleased).
  NSColor* interpolatedColorAtLocation(CGFloat location) const;

  // The starting colour on the start point's line across the gradient, the ending colour on
  // the end point's; the options extend the end colours beyond them. Within the clip only.
  void drawFromPoint_toPoint_options(NSPoint start, NSPoint end, NSGradientDrawingOptions options) const;
  // Fills the rectangle, the gradient running across it at the angle in degrees (0: the
  // starting colour at the left edge, 90: at the bottom edge).
  void drawInRect_angle(NSRect rect, CGFloat angle) const;
  void drawInBezierPath_angle(NSBezierPath* path, CGFloat angle) const;

  // The colour at a location, as red, green, blue and alpha.
  APPKIT_PRIVATE void evaluate(CGFloat location, CGFloat rgba[4]) const;

 protected:
  NSGradient() = default;

 private:
  struct Stop {
    CGFloat location;
    CGFloat rgba[4];
  };

  bool setStops(NSArray* colors, const CGFloat* locations);
  void drawAcross(NSRect rect, CGFloat angle) const;

  std::vector<Stop> mStops;
};
