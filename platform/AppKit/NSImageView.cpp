#include "NSImageView.h"

OBJC_CLASS_DEFINE(NSImageView)

void NSImageView::setImage(NSImage* image) {
  mImage = RefPtr<NSImage>(image);
  setNeedsDisplay(true);
}

void NSImageView::drawRect(NSRect) {
  if (mImage) mImage->drawInRect(bounds());
}
