#include "NSControl_category_NSUIDropViewParam.h"

#include <AppKit/NSColor.h>
#include <AppKit/NSGraphicsContext.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSURL.h>

#include "NSUITargetActionView.h"
#include "NSView_category_NSViewControlTarget.h"

int import_category_NSUIDropViewParam() { return import_category_NSViewControlTarget(); }

namespace {

category_NSUIDropViewParam* primitivesOf(NSControl* control) { return dynamic_cast<category_NSUIDropViewParam*>(control); }

NSString* contentsOfType(NSControl* control, NSUIDropViewParamContentsType type) {
  category_NSUIDropViewParam* primitives = primitivesOf(control);
  if (!primitives || primitives->contentsType() != type) return nullptr;
  return NSDynamicCast<NSString>(primitives->contents());
}

}  // namespace

void category_NSUIDropViewParam::setContentsParamValue_type(NSControl* control, NSString* value,
                                                            NSUIDropViewParamContentsType type) {
  if (!control) return;
  RefPtr<NSControl> keep(control);
  if (category_NSUIDropViewParam* primitives = primitivesOf(control)) {
    primitives->clearContents();
    primitives->setContents_type(value, type);
  }
  controlContentsChanged(control, control);
}

NSString* category_NSUIDropViewParam::nameParamValue(NSControl* control) { return contentsOfType(control, kNSUIDropViewParamName); }

void category_NSUIDropViewParam::setNameParamValue(NSControl* control, NSString* name) {
  setContentsParamValue_type(control, name, kNSUIDropViewParamName);
}

NSString* category_NSUIDropViewParam::pathParamValue(NSControl* control) { return contentsOfType(control, kNSUIDropViewParamPath); }

void category_NSUIDropViewParam::setPathParamValue(NSControl* control, NSString* path) {
  setContentsParamValue_type(control, path, kNSUIDropViewParamPath);
}

NSString* category_NSUIDropViewParam::URLParamValue(NSControl* control) { return contentsOfType(control, kNSUIDropViewParamURL); }

void category_NSUIDropViewParam::setURLParamValue(NSControl* control, NSString* url) {
  NSURL* parsed = url ? NSURL::URLWithString(url) : nullptr;
  if (category_NSUIDropViewParam* primitives = primitivesOf(control)) {
    RefPtr<NSObject> delegate(primitives->contentsURLDelegate());
    if (auto* cache = dynamic_cast<NSUIDropViewParamURLDelegate*>(delegate.get())) {
      if (NSString* cached = parsed ? cache->getURLCachedPathName(parsed) : nullptr) {
        setPathParamValue(control, cached);
        return;
      }
    }
  }
  if (parsed) setContentsParamValue_type(control, url, kNSUIDropViewParamURL);
}

void category_NSUIDropViewParam::controlContentsChanged(NSView* view, NSObject*) {
  if (auto* targetAction = NSDynamicCast<NSUITargetActionView>(view)) {
    targetAction->performTargetActionWithObject(view);
  } else {
    category_NSViewControlTarget::performTargetActionWithObject(view, view);
  }
}

void category_NSUIDropViewParam::drawRectDropHighlight(NSView* view, NSRect) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!view || !context) return;
  NSColor* tint = NSColor::colorForControlTint(NSColor::currentControlTint())->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  CGContextRef cg = context->CGContext();
  CGContextSaveGState(cg);
  CGContextSetRGBStrokeColor(cg, float(tint->redComponent()), float(tint->greenComponent()), float(tint->blueComponent()), 1.0);
  CGContextSetLineWidth(cg, 6.0);
  CGContextStrokeRect(cg, view->bounds());
  CGContextRestoreGState(cg);
}
