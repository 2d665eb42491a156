#include "NSGraphics.h"

#include <CoreGraphics/CGContext.h>

#include "NSGraphicsContext.h"
#include "backend/Compositing.h"

void NSRectFillUsingOperation(NSRect rect, NSCompositingOperation operation) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!graphics) return;
  CGContextRef context = graphics->CGContext();
  CGContextSaveGState(context);
  CGContextSetBlendMode(context, AppKitBackend::blendModeOf(operation));
  // Copy and clear replace only what lies under the rectangle.
  CGContextClipToRect(context, rect);
  CGContextFillRect(context, rect);
  CGContextRestoreGState(context);
}

void NSRectFill(NSRect rect) { NSRectFillUsingOperation(rect, NSCompositeCopy); }

void NSEraseRect(NSRect rect) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!graphics) return;
  CGContextRef context = graphics->CGContext();
  CGContextSaveGState(context);
  CGContextSetRGBFillColor(context, 1, 1, 1, 1);
  CGContextSetBlendMode(context, kCGBlendModeCopy);
  CGContextClipToRect(context, rect);
  CGContextFillRect(context, rect);
  CGContextRestoreGState(context);
}
