#include "NSImageView.h"

#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NSImageView)
NS_PROPERTIES(NSImageView, NS_PROPERTY("image", &NSImageView::image, &NSImageView::setImage))

void NSImageView::setImage(NSImage* image) {
  mImage = RefPtr<NSImage>(image);
  setNeedsDisplay(true);
}

void NSImageView::drawRect(NSRect) {
  if (mImage) mImage->drawInRect(bounds());
}
