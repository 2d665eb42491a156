#include "NSUIViewHolder.h"

int import_NSUIViewHolder() { return 1; }

OBJC_CLASS_DEFINE(NSUIViewHolder)

NSView* NSUIViewHolder::initWithFrame(NSRect frame) {
  NSView* result = NSView::initWithFrame(frame);
  return result ? static_cast<NSUIViewHolder*>(result)->initViewAttributes() : nullptr;
}
