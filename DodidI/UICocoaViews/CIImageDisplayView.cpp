#include "CIImageDisplayView.h"

#include <AppKit/NSGraphicsContext.h>
#include <CoreImage/CIContext.h>
#include <dispatch/dispatch.h>

int import_CIImageDisplayView() { return 1; }

OBJC_CLASS_DEFINE(CIImageDisplayView)

CIImageDisplayView::~CIImageDisplayView() { setImage(nullptr); }

NSView* CIImageDisplayView::initWithFrame(NSRect frame) {
  if (!NSView::initWithFrame(frame)) return nullptr;
  setImage(nullptr);
  return this;
}

void CIImageDisplayView::setInputImage(CIImage* image) {
  setImage(image);
  RefPtr<CIImageDisplayView> self(this);
  dispatch_async(dispatch_get_main_queue(), [self] { self->setNeedsDisplay(true); });
}

void CIImageDisplayView::drawRect(NSRect) {
  RefPtr<CIImage> image = mImage.copy();
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!image || !graphics) return;
  graphics->CIContext()->drawImage_inRect_fromRect(image.get(), bounds(), image->extent());
}
