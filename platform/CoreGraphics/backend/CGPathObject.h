#pragma once
// The object behind CGPathRef: a list of elements with every point already transformed,
// arcs already turned into cubic curves, so that applying and drawing are one walk.
#include <vector>

#include <cairo.h>

#include "backend/CGObjects.h"
#include <CoreGraphics/CGPath.h>

struct CGPath : NSObject {
  CG_TYPE_ID(CGPath)
  struct Element {
    CGPathElementType type;
    CGPoint points[3];
  };

  bool isEqual(const NSObject* other) const override;

  void moveTo(CGPoint p);
  void lineTo(CGPoint p);
  void quadTo(CGPoint cp, CGPoint p);
  void curveTo(CGPoint cp1, CGPoint cp2, CGPoint p);
  void close();
  // An arc around `center` (path coordinates before `m`) from `startAngle` sweeping by
  // `sweep` radians; joined to the current point by a line, or started with a move.
  void addArc(const CGAffineTransform* m, CGPoint center, CGFloat radius, CGFloat startAngle,
              CGFloat sweep);
  void append(const CGPath& other, const CGAffineTransform* m);
  // Adds the elements to Cairo's current path (in Cairo's current user space).
  void replay(cairo_t* cr) const;

  std::vector<Element> elements;
  CGPoint current{};
  CGPoint subpathStart{};
  bool hasCurrentPoint = false;
};
