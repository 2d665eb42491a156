#include "NSSliderCell_Labeling.h"

#include <AppKit/NSAffineTransform.h>
#include <AppKit/NSFont.h>
#include <AppKit/NSGraphics.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSParagraphStyle.h>
#include <AppKit/NSStringDrawing.h>
#include <Foundation/NSDictionary.h>

#include <algorithm>
#include <cmath>

#include "NSUIColorDrawing.h"

int import_NSSliderCell_Labeling() { return 1; }

namespace NSSliderCell_Labeling {

bool isVertical(NSRect rect) { return rect.size.height > rect.size.width; }

bool isHorizontal(NSRect rect) { return rect.size.width > rect.size.height; }

NSRect alwaysHorizontalFrame(NSRect rect) {
  if (isVertical(rect)) std::swap(rect.size.width, rect.size.height);
  return rect;
}

NSRect calculateKnobRectForCellFrame_flipped(NSSliderCell* cell, NSRect frame, bool flipped) {
  const double span = cell ? cell->maxValue() - cell->minValue() : 0;
  // An empty range has no position: the knob stays at the minimum instead of dividing by zero.
  const double t = span > 0 && std::isfinite(span)
                       ? std::clamp((cell->doubleValue() - cell->minValue()) / span, 0.0, 1.0)
                       : 0.0;
  const CGFloat x = frame.origin.x, y = frame.origin.y, w = frame.size.width, h = frame.size.height;
  if (isVertical(frame)) {
    return NSMakeRect(x, flipped ? y + (h - w) * (1 - t) : y + (h - w) * t, w, w);
  }
  if (isHorizontal(frame)) return NSMakeRect(x + (w - h) * t, flipped ? y : y - h, h, h);
  return frame;
}

NSImage* beginNewImageWithLockedFocus(NSRect rect) {
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(rect.size));
  image->lockFocus();
  NSColor::clearColor()->set();
  NSRectFill(rect);
  return static_cast<NSImage*>(image.leak()->autorelease());
}

void drawLozengeBackground_grey_alpha(NSRect rect, double grey, double alpha) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!graphics) return;
  const float rgb[3] = {float(grey), float(grey), float(grey)};
  graphics->saveGraphicsState();
  NSUIDrawKnobInContext(graphics->CGContext(), rgb, float(alpha), rect);
  graphics->restoreGraphicsState();
}

void drawLozengeBackground(NSRect rect) {
  drawLozengeBackground_grey_alpha(NSInsetRect(rect, 1.0, 1.0), 0.9, 0.1);
}

void drawTextInRect_text_textSize_textColor(NSRect rect, NSString* text, float textSize, NSColor* textColor) {
  RefPtr<NSMutableParagraphStyle> centred = adopt(NSParagraphStyle::defaultParagraphStyle()->mutableCopy());
  centred->setAlignment(NSCenterTextAlignment);
  NSMutableDictionary* attributes = NSMutableDictionary::dictionary();
  attributes->setObject_forKey(NSFont::boldSystemFontOfSize(textSize), NSFontAttributeName);
  attributes->setObject_forKey(centred.get(), NSParagraphStyleAttributeName);
  if (textColor) attributes->setObject_forKey(textColor, NSForegroundColorAttributeName);
  NSStringDrawing::drawInRect_withAttributes(text, rect, attributes);
}

CGFloat scaleForRetinaDisplay(NSScreen* screen) { return screen ? screen->backingScaleFactor() : 1.0; }

NSImage* rotateImage_forScreen_byAngleOf90Degrees(NSImage* image, NSScreen* screen, int angle) {
  if (!image || angle == 0) return image;
  const NSSize old = image->size();
  const NSSize turned = (angle == 90 || angle == -90) ? NSMakeSize(old.height, old.width) : old;
  RefPtr<NSImage> rotated = adopt(NSImage::alloc()->initWithSize(turned));
  rotated->lockFocus();
  NSAffineTransform* transform = NSAffineTransform::transform();
  const CGFloat scale = scaleForRetinaDisplay(screen);
  transform->scaleXBy_yBy(scale, scale);
  transform->translateXBy_yBy(turned.width / 2, turned.height / 2);
  transform->rotateByDegrees(angle);
  transform->translateXBy_yBy(-old.width / 2, -old.height / 2);
  transform->set();
  image->drawAtPoint_fromRect_operation_fraction(NSZeroPoint, NSZeroRect, NSCompositeCopy, 1.0);
  rotated->unlockFocus();
  return static_cast<NSImage*>(rotated.leak()->autorelease());
}

}  // namespace NSSliderCell_Labeling
