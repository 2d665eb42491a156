#pragma once
// Points, sizes and rectangles: the CoreGraphics types under their Foundation names, with
// the Foundation functions on them. Coordinates are y-up unless a view is flipped.
#include <CoreGraphics/CGGeometry.h>

#include <AppKit/AppKitDefines.h>

class NSString;

typedef CGPoint NSPoint;
typedef CGSize NSSize;
typedef CGRect NSRect;
typedef NSPoint* NSPointPointer;
typedef NSRect* NSRectPointer;

typedef NSUInteger NSRectEdge;
enum : NSUInteger { NSMinXEdge = 0, NSMinYEdge = 1, NSMaxXEdge = 2, NSMaxYEdge = 3 };
enum : NSUInteger {
  NSRectEdgeMinX = NSMinXEdge,
  NSRectEdgeMinY = NSMinYEdge,
  NSRectEdgeMaxX = NSMaxXEdge,
  NSRectEdgeMaxY = NSMaxYEdge,
};

inline NSPoint NSMakePoint(CGFloat x, CGFloat y) { return NSPoint{x, y}; }
inline NSSize NSMakeSize(CGFloat width, CGFloat height) { return NSSize{width, height}; }
inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return NSRect{{x, y}, {width, height}};
}

inline constexpr NSPoint NSZeroPoint{0, 0};
inline constexpr NSSize NSZeroSize{0, 0};
inline constexpr NSRect NSZeroRect{{0, 0}, {0, 0}};

inline CGFloat NSMinX(NSRect r) { return r.origin.x; }
inline CGFloat NSMinY(NSRect r) { return r.origin.y; }
inline CGFloat NSMaxX(NSRect r) { return r.origin.x + r.size.width; }
inline CGFloat NSMaxY(NSRect r) { return r.origin.y + r.size.height; }
inline CGFloat NSMidX(NSRect r) { return r.origin.x + r.size.width / 2; }
inline CGFloat NSMidY(NSRect r) { return r.origin.y + r.size.height / 2; }
inline CGFloat NSWidth(NSRect r) { return r.size.width; }
inline CGFloat NSHeight(NSRect r) { return r.size.height; }

inline bool NSEqualPoints(NSPoint a, NSPoint b) { return a.x == b.x && a.y == b.y; }
inline bool NSEqualSizes(NSSize a, NSSize b) { return a.width == b.width && a.height == b.height; }
inline bool NSEqualRects(NSRect a, NSRect b) { return NSEqualPoints(a.origin, b.origin) && NSEqualSizes(a.size, b.size); }
inline bool NSIsEmptyRect(NSRect r) { return !(r.size.width > 0 && r.size.height > 0); }

// A point lies in a rectangle when it is on its minimum edges or inside, not on its maximum
// edges, so that adjacent rectangles never share a point.
inline bool NSPointInRect(NSPoint p, NSRect r) {
  return p.x >= NSMinX(r) && p.x < NSMaxX(r) && p.y >= NSMinY(r) && p.y < NSMaxY(r);
}
// The same for a mouse location in a view that may be flipped: the edge shared with the row
// above belongs to the rectangle's top in a flipped view.
inline bool NSMouseInRect(NSPoint p, NSRect r, bool flipped) {
  if (!flipped) return NSPointInRect(p, r);
  return p.x >= NSMinX(r) && p.x < NSMaxX(r) && p.y > NSMinY(r) && p.y <= NSMaxY(r);
}
inline bool NSContainsRect(NSRect outer, NSRect inner) {
  return !NSIsEmptyRect(inner) && NSMinX(outer) <= NSMinX(inner) && NSMinY(outer) <= NSMinY(inner) &&
         NSMaxX(outer) >= NSMaxX(inner) && NSMaxY(outer) >= NSMaxY(inner);
}
inline bool NSIntersectsRect(NSRect a, NSRect b) {
  return !NSIsEmptyRect(a) && !NSIsEmptyRect(b) && NSMinX(a) < NSMaxX(b) && NSMinX(b) < NSMaxX(a) &&
         NSMinY(a) < NSMaxY(b) && NSMinY(b) < NSMaxY(a);
}
inline NSRect NSInsetRect(NSRect r, CGFloat dx, CGFloat dy) {
  return NSMakeRect(r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy);
}
inline NSRect NSOffsetRect(NSRect r, CGFloat dx, CGFloat dy) {
  return NSMakeRect(r.origin.x + dx, r.origin.y + dy, r.size.width, r.size.height);
}
APPKIT_EXPORT NSRect NSIntersectionRect(NSRect a, NSRect b);
APPKIT_EXPORT NSRect NSUnionRect(NSRect a, NSRect b);
APPKIT_EXPORT NSRect NSIntegralRect(NSRect r);

// "{x, y}", "{w, h}" and "{{x, y}, {w, h}}", and back; a text that does not read gives zeros.
APPKIT_EXPORT NSString* NSStringFromPoint(NSPoint point);
APPKIT_EXPORT NSString* NSStringFromSize(NSSize size);
APPKIT_EXPORT NSString* NSStringFromRect(NSRect rect);
APPKIT_EXPORT NSPoint NSPointFromString(NSString* text);
APPKIT_EXPORT NSSize NSSizeFromString(NSString* text);
APPKIT_EXPORT NSRect NSRectFromString(NSString* text);
