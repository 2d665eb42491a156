#pragma once
// A pop-up button that switches the views of a multi-view controller (its delegate): it lists
// the controller's titles and tells it the title the user chose.
#include <AppKit/NSPopUpButton.h>
#include <objc/WeakPtr.h>

#include "protocol_MultiView.h"

int import_NSUIMultiViewPopUpButton();

class NSUIMultiViewPopUpButton : public NSPopUpButton, public protocol_MultiViewSwitchingControl {
  OBJC_CLASS_DECL(NSUIMultiViewPopUpButton, NSPopUpButton)

 public:
  // Action method: the delegate selects the view of the chosen title.
  void selectionChangedAction(NSObject* sender);
  // The items become the delegate's titles, in its order; items of titles it no longer has go.
  void refreshMultiViewTitlesWithSelection(NSString* title) override;
  bool isTitleMemberOfPopUpMenu(NSString* title) const;
  bool setSelectedMultiViewTitle(NSString* title) override;
  NSString* selectedMultiViewTitle() const override { return titleOfSelectedItem(); }

  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

 private:
  WeakPtr<NSObject> mDelegate;
};
