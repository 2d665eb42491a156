#include <AppKit/NSViewController.h>

#include <AppKit/NSView.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNib.h>

OBJC_CLASS_DEFINE(NSViewController)
NS_PROPERTIES(NSViewController,
              NS_PROPERTY("view", &NSViewController::view, &NSViewController::setView),
              NS_PROPERTY("representedObject", &NSViewController::representedObject,
                          &NSViewController::setRepresentedObject),
              NS_PROPERTY("title", &NSViewController::title, &NSViewController::setTitle))

NSViewController* NSViewController::initWithNibName_bundle(NSString* nibName, NSBundle* bundle) {
  mNibName = RefPtr<NSString>(nibName);
  mNibBundle = RefPtr<NSBundle>(bundle);
  return this;
}

NSView* NSViewController::view() {
  if (!mView && !mLoading) {
    mLoading = true;
    loadView();
    mLoading = false;
    if (mView) viewDidLoad();
  }
  return mView.get();
}

void NSViewController::setView(NSView* view) { mView = RefPtr<NSView>(view); }

void NSViewController::loadView() {
  if (!mNibName) return;
  RefPtr<NSNib> nib = adopt(NSNib::alloc()->initWithNibNamed_bundle(mNibName.get(), mNibBundle.get()));
  if (!nib) return;
  NSArray* topLevelObjects = nullptr;
  nib->instantiateWithOwner_topLevelObjects(this, &topLevelObjects);
}

NSSize NSViewController::preferredContentSize() {
  if (mHasPreferredContentSize) return mPreferredContentSize;
  NSView* current = view();
  return current ? current->frame().size : NSZeroSize;
}

void NSViewController::setPreferredContentSize(NSSize size) {
  mPreferredContentSize = size;
  mHasPreferredContentSize = true;
}
