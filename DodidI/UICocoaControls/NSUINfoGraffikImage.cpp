#include "NSUINfoGraffikImage.h"

#include <AppKit/NSGraphicsContext.h>

#include <algorithm>

#include "NSUIToolButton.h"
#include "UFOffscreenBitmapGraphicsContext.h"
#include "namespace_CoreGraphics_Drawing.h"
#include "namespace_CoreGraphics_RoundRectPath.h"

int import_NSUINfoGraffikImage() { return import_UFOffscreenBitmapGraphicsContext(); }

OBJC_CLASS_DEFINE(NSUINfoGraffikImage)

NSUINfoGraffikImage* NSUINfoGraffikImage::button_imageForSizeState_forSize_forState_forKind(
    NSUIToolButton* button, NSString* name, NSSize size, NSInteger state, NSInteger kind) {
  RefPtr<NSUINfoGraffikImage> image = adopt(static_cast<NSUINfoGraffikImage*>(alloc()->initWithSize(size)));
  UFOffscreenBitmapGraphicsContext* offscreen =
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(size);
  if (offscreen && offscreen->lockFocusAndEraseTransparent(true)) {
    const CGFloat margin = kind == 0 ? 0.0 : 2.0;
    drawButton_name_rect_forState_margin_forKind(
        button, name, NSMakeRect(margin, margin, size.width - 2 * margin, size.height - 2 * margin), state,
        margin, kind);
    offscreen->unlockFocus();
    if (NSBitmapImageRep* rep = offscreen->bitmapImageRep()) image->addRepresentation(rep);
  }
  return static_cast<NSUINfoGraffikImage*>(image.leak()->autorelease());
}

void NSUINfoGraffikImage::drawButton_name_rect_forState_margin_forKind(NSUIToolButton* button, NSString* name,
                                                                       NSRect rect, NSInteger state,
                                                                       CGFloat margin, NSInteger kind) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!graphics || !button) return;
  CGContextRef context = graphics->CGContext();
  NSColor* fill = button->buttonFillColorForState(state)->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  NSColor* stroke =
      button->buttonStrokeColorForState(state)->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  const float opacity = button->buttonImageOpacityForState(state);
  CGContextSaveGState(context);
  if (fill)
    CGContextSetRGBFillColor(context, fill->redComponent(), fill->greenComponent(), fill->blueComponent(),
                             1.0);
  if (stroke) {
    CGContextSetRGBStrokeColor(context, stroke->redComponent(), stroke->greenComponent(),
                               stroke->blueComponent(), 1.0);
  }
  const CGFloat side = std::min(rect.size.width, rect.size.height);
  const NSRect square = NSMakeRect(NSMidX(rect) - side / 2, NSMidY(rect) - side / 2, side, side);
  CGFloat picture = side;
  if (kind == 1 || kind == 3 || kind == 4) {
    CGContextFillEllipseInRect(context, square);
    picture = (kind == 1 ? 0.8 : 0.9) * side;
  } else {
    CoreGraphics::DrawRoundRect(context, NSOffsetRect(square, -margin / 2, -margin / 2), 0.0f,
                                side <= 64 ? 8.0f : 12.0f);
  }
  CGContextRestoreGState(context);
  drawImage_rect_opacity(
      name, NSMakeRect(NSMidX(square) - picture / 2, NSMidY(square) - picture / 2, picture, picture),
      opacity);
}

void NSUINfoGraffikImage::drawImage_rect_opacity(NSString* name, NSRect rect, float opacity) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!name || !graphics) return;
  CGContextRef context = graphics->CGContext();
  if (CFURLRef url = CoreGraphics::CopyResourceURL(name->cfString(), CFSTR("pdf"))) {
    CGContextSaveGState(context);
    CGContextSetAlpha(context, opacity);
    CoreGraphics::DrawPDFDocumentPage(context, url, rect, 1.0, 1.0);
    CGContextRestoreGState(context);
    CFRelease(url);
  } else if (NSImage* image = NSImage::imageNamed(name)) {
    CGContextSaveGState(context);
    CGContextSetAlpha(context, opacity);
    image->compositeToPoint_operation(rect.origin, NSCompositeSourceIn);
    CGContextRestoreGState(context);
  }
}

NSColor* NSUINfoGraffikImage::button_fillColorForState(NSUIToolButton*, NSInteger state) {
  return NSColor::colorWithCalibratedRed_green_blue_alpha(0.1, 0.1, 0.1, state == 1 ? 1.0 : 0.5);
}

NSColor* NSUINfoGraffikImage::button_strokeColorForState(NSUIToolButton*, NSInteger) {
  return NSColor::colorWithCalibratedRed_green_blue_alpha(0.1, 0.1, 0.1, 0.8);
}

NSColor* NSUINfoGraffikImage::buttonHighlightColor(NSUIToolButton*) {
  return NSColor::colorForControlTint(NSColor::currentControlTint())
      ->colorUsingColorSpaceName(NSCalibratedRGBColorSpace)
      ->colorWithAlphaComponent(0.8);
}
