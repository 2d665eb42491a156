#pragma once
// A controller of one view: made in code with a view, or loading it from a nib (the nib's
// owner is the controller, whose "view" outlet the nib connects) the first time it is asked.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <AppKit/NSGeometry.h>
#include <AppKit/NSResponder.h>

class NSBundle;
class NSView;

class APPKIT_CLASS NSViewController : public NSResponder {
  OBJC_CLASS_DECL(NSViewController, NSResponder)

 public:
  NSObject* init() override { return initWithNibName_bundle(nullptr, nullptr); }
  virtual NSViewController* initWithNibName_bundle(NSString* nibName, NSBundle* bundle);

  // Loads the view first when there is none yet.
  NSView* view();
  virtual void setView(NSView* view);
  bool isViewLoaded() const { return mView.get() != nullptr; }
  virtual void loadView();
  virtual void viewDidLoad() {}

  NSString* nibName() const { return mNibName.get(); }
  NSBundle* nibBundle() const { return mNibBundle.get(); }
  NSObject* representedObject() const { return mRepresentedObject.get(); }
  virtual void setRepresentedObject(NSObject* object) { mRepresentedObject = RefPtr<NSObject>(object); }
  NSString* title() const { return mTitle.get(); }
  void setTitle(NSString* title) { mTitle = RefPtr<NSString>(title); }
  // The size the view would like in a popover or window; its frame size unless set.
  virtual NSSize preferredContentSize();
  void setPreferredContentSize(NSSize size);

 protected:
  NSViewController() = default;

 private:
  RefPtr<NSView> mView;
  RefPtr<NSString> mNibName;
  RefPtr<NSBundle> mNibBundle;
  RefPtr<NSObject> mRepresentedObject;
  RefPtr<NSString> mTitle;
  NSSize mPreferredContentSize{};
  bool mHasPreferredContentSize = false;
  bool mLoading = false;
};
