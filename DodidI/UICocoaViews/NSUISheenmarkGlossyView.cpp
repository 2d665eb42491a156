#include "NSUISheenmarkGlossyView.h"

#include <AppKit/NSGraphicsContext.h>
#include <objc/ClassMethods.h>

#include "NSUIGlossyFill.h"

int import_NSUISheenmarkGlossyView() { return import_NSUIGlossyFill(); }

OBJC_CLASS_DEFINE(NSUISheenmarkGlossyView)

NSUISheenmarkGlossyView::~NSUISheenmarkGlossyView() { setGlossyColor(nullptr); }

NSView* NSUISheenmarkGlossyView::initWithFrame(NSRect frame) {
  if (!NSView::initWithFrame(frame)) return nullptr;
  useDefaultColor();
  return this;
}

NSObject* NSUISheenmarkGlossyView::initWithCoder(NSCoder* coder) {
  if (!NSView::initWithCoder(coder)) return nullptr;
  useDefaultColor();
  return this;
}

void NSUISheenmarkGlossyView::useDefaultColor() {
  setGlossyColor(
      objc::classMethods<NSUISheenmarkGlossyView>(classObject()).defaultGlossyColor(classObject()));
}

void NSUISheenmarkGlossyView::drawRect(NSRect) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!graphics) return;
  CGContextRef port = CGContextRetain(graphics->CGContext());
  CGContextSaveGState(port);
  // The state comes back and the context goes, whatever the fill does.
  struct Restore {
    CGContextRef port;
    ~Restore() {
      CGContextRestoreGState(port);
      CGContextRelease(port);
    }
  } restore{port};
  RefPtr<NSColor> color = mGlossyColor.copy();
  NSUIFillGlossyRect(port, color.get(), kCGColorSpaceSRGB, bounds(), 0.5);
}
