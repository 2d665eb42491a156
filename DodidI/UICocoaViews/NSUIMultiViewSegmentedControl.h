#pragma once
// A segmented control that switches the views of a multi-view controller (its delegate): one
// segment per title, labelled with it and/or showing the view's icon.
#include <AppKit/NSSegmentedControl.h>
#include <objc/WeakPtr.h>

#include "protocol_MultiView.h"

class NSNumber;

int import_NSUIMultiViewSegmentedControl();

class NSUIMultiViewSegmentedControl : public NSSegmentedControl, public protocol_MultiViewSwitchingControl {
  OBJC_CLASS_DECL(NSUIMultiViewSegmentedControl, NSSegmentedControl)

 public:
  static CGFloat defaultAutoSegmentMarginWidth() { return 8.0; }

  NSObject* initWithCoder(NSCoder* coder) override;
  // The width of each segment: the outlet's, else the frame shared among the segments less
  // the margin, else 72.
  CGFloat segmentWidth() const;
  void segmentChangedAction(NSObject* sender);
  void refreshMultiViewTitlesWithSelection(NSString* title) override;
  bool setSelectedMultiViewTitle(NSString* title) override;
  NSString* selectedMultiViewTitle() const override { return selectedSegmentLabel(); }
  NSString* selectedSegmentLabel() const;
  bool hasSelectedSegment() const { return segmentCount() > 0 && selectedSegment() != -1; }

  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }
  bool showTitles() const { return mShowTitles; }
  void setShowTitles(bool flag) { mShowTitles = flag; }
  bool showIconImages() const { return mShowIconImages; }
  void setShowIconImages(bool flag) { mShowIconImages = flag; }
  NSNumber* outletSegmentWidthPixels() const { return mOutletSegmentWidthPixels.get(); }
  void setOutletSegmentWidthPixels(NSNumber* width);

 protected:
  ~NSUIMultiViewSegmentedControl() override;

 private:
  WeakPtr<NSObject> mDelegate;
  bool mShowTitles = false;
  bool mShowIconImages = false;
  RefPtr<NSNumber> mOutletSegmentWidthPixels;
};
