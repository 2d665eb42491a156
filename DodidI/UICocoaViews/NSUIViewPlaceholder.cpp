#include "NSUIViewPlaceholder.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>
#include <objc/MethodTable.h>

#include "CoreMachDebug.h"
#include "NSUIViewHolder.h"

int import_NSUIViewPlaceholder() { return import_NSUIViewHolder(); }

OBJC_CLASS_DEFINE(NSUIViewPlaceholder)
NS_PROPERTIES(NSUIViewPlaceholder,
              NS_PROPERTY("installThisView", &NSUIViewPlaceholder::initialView, &NSUIViewPlaceholder::setInstallThisView))
OBJC_METHODS(NSUIViewPlaceholder, OBJC_METHOD("installSender:", &NSUIViewPlaceholder::installSender))

NSView* NSUIViewPlaceholder::initWithFrame(NSRect frame) {
  NSView* result = NSView::initWithFrame(frame);
  return result ? static_cast<NSUIViewPlaceholder*>(result)->initViewAttributes() : nullptr;
}

NSObject* NSUIViewPlaceholder::initWithCoder(NSCoder* coder) {
  NSObject* result = NSView::initWithCoder(coder);
  return result ? static_cast<NSUIViewPlaceholder*>(result)->initViewAttributes() : nullptr;
}

void NSUIViewPlaceholder::awakeFromNib() {
  if (RefPtr<NSView> view = mInstallThisView.get()) installView(view.get());
}

void NSUIViewPlaceholder::installView(NSView* view) {
  if (!view) return;
  addSubview(view);
  setNeedsDisplay(true);
}

void NSUIViewPlaceholder::installSender(NSObject* sender) {
  auto* view = NSDynamicCast<NSView>(sender);
  if (!view) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, "sender");
    return;
  }
  installView(view);
}
