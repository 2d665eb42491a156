#include "NSUIColorDrawing.h"

#include <algorithm>

#include "namespace_CoreGraphics_RoundRectPath.h"

int import_NSUIColorDrawing() { return 1; }

void NSUIFillRoundRect(CGContextRef context, CGRect rect, float lineWidth, float radius) {
  if (!context) return;
  if (radius < 1.0f) radius = std::min(float(rect.size.width * radius), float(rect.size.height * radius));
  CoreGraphics::RoundRectPath path(CGRectMake(0, 0, rect.size.width, rect.size.height), radius, radius);
  path.Draw(context, rect.origin.x, rect.origin.y, lineWidth);
}

void NSUIDrawKnobInContext(CGContextRef context, const float* rgb, float alpha, CGRect rect) {
  if (!context || !rgb) return;
  const CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  const CGFloat t = h - 2;
  if (!(t > 0) || !(w > 0)) return;
  CGContextSaveGState(context);
  CGContextSetRGBStrokeColor(context, rgb[0], rgb[1], rgb[2], alpha);
  CGContextSetLineCap(context, kCGLineCapRound);
  if (w > t) {
    const CGFloat middle = float(y + 1 + t / 2);
    CGContextSetLineWidth(context, t);
    CGContextBeginPath(context);
    CGContextMoveToPoint(context, x + t / 2, middle);
    CGContextAddLineToPoint(context, x + w - t / 2, middle);
    CGContextStrokePath(context);
  } else if (t > w) {
    const CGFloat middle = float(x + w / 2);
    CGContextSetLineWidth(context, w);
    CGContextBeginPath(context);
    CGContextMoveToPoint(context, middle, y + 1 + w / 2);
    CGContextAddLineToPoint(context, middle, y + 1 + t - w / 2);
    CGContextStrokePath(context);
  } else {
    CGContextSetRGBFillColor(context, rgb[0], rgb[1], rgb[2], alpha);
    CGContextFillEllipseInRect(context, CGRectMake(x, y + 1, w, t));
  }
  CGContextRestoreGState(context);
}
