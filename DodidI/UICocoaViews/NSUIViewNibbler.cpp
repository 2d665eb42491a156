#include "NSUIViewNibbler.h"

#include <AppKit/NSWindow.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNib.h>
#include <objc/ClassMethods.h>

int import_NSUIViewNibbler() { return 1; }

OBJC_CLASS_DEFINE(NSUIViewNibbler)
NS_PROPERTIES(NSUIViewNibbler,
              NS_PROPERTY("nibblerSubView", &NSUIViewNibbler::nibblerSubView, &NSUIViewNibbler::setNibblerSubView),
              NS_PROPERTY("nibblerController", &NSUIViewNibbler::nibblerController,
                          &NSUIViewNibbler::setNibblerController),
              NS_PROPERTY("defaultNibName", &NSUIViewNibbler::defaultNibName, &NSUIViewNibbler::setDefaultNibName))

NSString* NSUIViewNibbler::Meta::classNibName(Class cls) const { return NSString::stringWithUTF8String(class_getName(cls)); }

NSUIViewNibbler::~NSUIViewNibbler() {
  setTopLevelObjects(nullptr);
  setNibblerSubView(nullptr);
  setNibblerController(nullptr);
  setDefaultNibName(nullptr);
}

NSView* NSUIViewNibbler::initWithFrame(NSRect frame) {
  if (!NSView::initWithFrame(frame)) return nullptr;
  mDefaultNibName = RefPtr<NSString>(classDefaultNibName());
  deferConstructionUntilXcodePropertiesSet();
  return this;
}

NSObject* NSUIViewNibbler::initWithCoder(NSCoder* coder) {
  if (!NSView::initWithCoder(coder)) return nullptr;
  mDefaultNibName = RefPtr<NSString>(classDefaultNibName());
  deferConstructionUntilXcodePropertiesSet();
  return this;
}

NSString* NSUIViewNibbler::classDefaultNibName() const {
  return objc::classMethods<NSUIViewNibbler>(classObject()).classNibName(classObject());
}

void NSUIViewNibbler::awakeFromNib() {
  if (mConstructed == 0) {
    constructWithDefaultNibName();
  } else {
    awakeFromNibbler();
  }
}

void NSUIViewNibbler::constructWithDefaultNibName() {
  RefPtr<NSString> name = mDefaultNibName;
  if (!name) return;
  if (!instantiateObjectGraphWithNibName(name.get()) || !nibblerSubView()) return;
  installNibblerSubView();
}

bool NSUIViewNibbler::instantiateObjectGraphWithNibName(NSString* name) {
  if (!objc::classMethods<NSUIViewNibbler>(classObject()).shouldInstantiateOnThisVersionOfOSX(classObject())) return false;
  ++mConstructed;
  RefPtr<NSUIViewNibbler> self(this);
  try {
    RefPtr<NSNib> nib = adopt(NSNib::alloc()->initWithNibNamed_bundle(name, nullptr));
    if (!nib) return false;
    NSArray* objects = nullptr;
    if (!nib->instantiateNibWithOwner_topLevelObjects(this, &objects)) return false;
    setTopLevelObjects(objects);
  } catch (const NSException::Raised& raised) {
    NSLog(NSSTR("NSUIViewNibbler::instantiateObjectGraphWithNibName:%@ exception:%@\n"), name, raised.exception());
    return false;
  }
  return nibblerSubView() != nullptr;
}

bool NSUIViewNibbler::installNibblerSubView() {
  RefPtr<NSView> subview = mNibblerSubView.get();
  if (!subview) return false;
  addSubview(subview.get());
  logView_withName(subview.get(), NSSTR("self.nibblerView"));
  subview->resizeWithOldSuperviewSize(subview->frame().size);
  subview->setNeedsDisplay(true);
  return true;
}

void NSUIViewNibbler::setFrameSize(NSSize size) {
  NSView::setFrameSize(size);
  if (RefPtr<NSView> subview = mNibblerSubView.get()) subview->setNeedsDisplay(true);
}

void NSUIViewNibbler::centerWindowAboveNibblerSubView(NSWindow* window) {
  centerWindow_horizontallyPositionedAboveView(window, nibblerSubView());
}

NSString* NSUIViewNibbler::multiViewTitle() const { return NSString::stringWithUTF8String(className()); }

void NSUIViewNibbler::setTopLevelObjects(NSArray* objects) { mTopLevelObjects = RefPtr<NSArray>(objects); }

void NSUIViewNibbler::setDefaultNibName(NSString* name) {
  mDefaultNibName = RefPtr<NSString>(name ? NSString::stringWithString(name) : nullptr);
}

namespace {

// The view's bounds on screen.
NSRect screenRectOf(NSView* view) {
  NSRect base = view->convertRectToBase(view->bounds());
  NSWindow* window = view->window();
  return window ? window->convertRectToScreen(base) : base;
}

}  // namespace

void NSUIViewNibbler::alignWindowTopLeft_directlyBelowView(NSWindow* window, NSView* view) {
  if (!window || !view) return;
  const CGFloat height = window->frame().size.height;
  const NSRect onScreen = screenRectOf(view);
  window->setFrameOrigin(NSMakePoint(onScreen.origin.x, onScreen.origin.y - height));
}

void NSUIViewNibbler::centerWindow_horizontallyPositionedAboveView(NSWindow* window, NSView* view) {
  if (!window || !view) return;
  const NSRect frame = window->frame();
  const NSRect onScreen = screenRectOf(view);
  window->setFrameOrigin(NSMakePoint(onScreen.origin.x + (onScreen.size.width - frame.size.width) / 2, frame.origin.y));
}
