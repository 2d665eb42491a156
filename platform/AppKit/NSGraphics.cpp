#include "NSGraphics.h"

#include <CoreGraphics/CGContext.h>

#include "NSGraphicsContext.h"

void NSRectFill(NSRect rect) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!graphics) return;
  CGContextRef context = graphics->CGContext();
  CGContextSaveGState(context);
  CGContextSetBlendMode(context, kCGBlendModeCopy);
  CGContextFillRect(context, rect);
  CGContextRestoreGState(context);
}
