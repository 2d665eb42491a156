#include "PDFSkinView.h"

#include <AppKit/NSAppKitVersion.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGraphics.h>
#include <AppKit/NSWindow.h>

#include <cmath>

int import_PDFSkinView() { return 1; }

OBJC_CLASS_DEFINE(PDFSkinView)
OBJC_CLASS_DEFINE(PDFSkinViewScaled)
OBJC_CLASS_DEFINE(PDFSkinAboutBoxView)

PDFSkinView::~PDFSkinView() = default;

NSView* PDFSkinView::initWithFrame(NSRect frame) {
  if (!NSView::initWithFrame(frame)) return nullptr;
  mPDFSkinImage = nullptr;
  return initView();
}

PDFSkinView* PDFSkinView::initView() {
  mPDFSkinImage = nullptr;
  return this;
}

bool PDFSkinView::setResourceImage(NSString* name) {
  mPDFSkinImage = nullptr;
  mPDFSkinImage = RefPtr<NSImage>(name ? NSImage::imageNamed(name) : nullptr);
  return mPDFSkinImage != nullptr;
}

bool PDFSkinView::setResourceImageFromWindowTitle() {
  NSWindow* window = this->window();
  NSString* title = window ? window->title() : nullptr;
  if (!title) return false;
  return setResourceImage(title);
}

void PDFSkinView::awakeFromNib() {
  NSView::awakeFromNib();
  if (setResourceImageFromWindowTitle()) setNeedsDisplay(true);
}

void PDFSkinView::clearBounds() {
  // The bounds, not the frame: the frame lies in the superview's coordinates, so a view away
  // from the superview's origin would clear the wrong area and keep stale pixels.
  NSColor::clearColor()->set();
  NSRectFill(bounds());
}

void PDFSkinView::drawRect(NSRect) {
  clearBounds();
  if (mPDFSkinImage) mPDFSkinImage->compositeToPoint_operation(NSZeroPoint, NSCompositeSourceOver);
  NSWindow* window = this->window();
  if (!window) return;
  if (std::floor(NSAppKitVersionNumber) <= 620) {
    window->setHasShadow(false);
    window->setHasShadow(true);
  } else {
    window->invalidateShadow();
  }
}

void PDFSkinViewScaled::drawRect(NSRect) {
  clearBounds();
  if (NSImage* image = skinImage()) {
    image->drawInRect_fromRect_operation_fraction(bounds(), NSZeroRect, NSCompositeSourceOver, 1.0);
  }
  if (NSWindow* window = this->window()) window->invalidateShadow();
}
