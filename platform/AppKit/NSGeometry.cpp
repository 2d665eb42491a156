#include <AppKit/NSGeometry.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include <Foundation/NSString.h>

NSRect NSIntersectionRect(NSRect a, NSRect b) {
  if (!NSIntersectsRect(a, b)) return NSZeroRect;
  CGFloat x = std::max(NSMinX(a), NSMinX(b)), y = std::max(NSMinY(a), NSMinY(b));
  return NSMakeRect(x, y, std::min(NSMaxX(a), NSMaxX(b)) - x, std::min(NSMaxY(a), NSMaxY(b)) - y);
}

NSRect NSUnionRect(NSRect a, NSRect b) {
  if (NSIsEmptyRect(a)) return NSIsEmptyRect(b) ? NSZeroRect : b;
  if (NSIsEmptyRect(b)) return a;
  CGFloat x = std::min(NSMinX(a), NSMinX(b)), y = std::min(NSMinY(a), NSMinY(b));
  return NSMakeRect(x, y, std::max(NSMaxX(a), NSMaxX(b)) - x, std::max(NSMaxY(a), NSMaxY(b)) - y);
}

NSRect NSIntegralRect(NSRect r) {
  if (NSIsEmptyRect(r)) return NSZeroRect;
  CGFloat x = std::floor(NSMinX(r)), y = std::floor(NSMinY(r));
  return NSMakeRect(x, y, std::ceil(NSMaxX(r)) - x, std::ceil(NSMaxY(r)) - y);
}

namespace {

// The numbers of a text such as "{{1, 2}, {3, 4}}", in order; braces and commas separate them.
std::vector<double> numbersIn(NSString* text) {
  std::vector<double> numbers;
  if (!text) return numbers;
  const char* p = text->UTF8String();
  while (p && *p) {
    if ((*p >= '0' && *p <= '9') || *p == '-' || *p == '+' || *p == '.') {
      char* end = nullptr;
      double value = std::strtod(p, &end);
      if (end == p) {
        ++p;
        continue;
      }
      numbers.push_back(value);
      p = end;
    } else {
      ++p;
    }
  }
  return numbers;
}

}  // namespace

NSString* NSStringFromPoint(NSPoint point) { return NSString::stringWithFormat(NSSTR("{%g, %g}"), point.x, point.y); }

NSString* NSStringFromSize(NSSize size) { return NSString::stringWithFormat(NSSTR("{%g, %g}"), size.width, size.height); }

NSString* NSStringFromRect(NSRect rect) {
  return NSString::stringWithFormat(NSSTR("{{%g, %g}, {%g, %g}}"), rect.origin.x, rect.origin.y, rect.size.width,
                                    rect.size.height);
}

NSPoint NSPointFromString(NSString* text) {
  std::vector<double> n = numbersIn(text);
  return n.size() >= 2 ? NSMakePoint(n[0], n[1]) : NSZeroPoint;
}

NSSize NSSizeFromString(NSString* text) {
  std::vector<double> n = numbersIn(text);
  return n.size() >= 2 ? NSMakeSize(n[0], n[1]) : NSZeroSize;
}

NSRect NSRectFromString(NSString* text) {
  std::vector<double> n = numbersIn(text);
  return n.size() >= 4 ? NSMakeRect(n[0], n[1], n[2], n[3]) : NSZeroRect;
}
