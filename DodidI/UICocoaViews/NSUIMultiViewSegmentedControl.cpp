#include "NSUIMultiViewSegmentedControl.h"

#include <AppKit/NSImage.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSValue.h>
#include <objc/MethodTable.h>

int import_NSUIMultiViewSegmentedControl() { return 1; }

OBJC_CLASS_DEFINE(NSUIMultiViewSegmentedControl)
NS_PROPERTIES(NSUIMultiViewSegmentedControl,
              NS_PROPERTY("delegate", &NSUIMultiViewSegmentedControl::delegate, &NSUIMultiViewSegmentedControl::setDelegate),
              NS_PROPERTY("showTitles", &NSUIMultiViewSegmentedControl::showTitles,
                          &NSUIMultiViewSegmentedControl::setShowTitles),
              NS_PROPERTY("showIconImages", &NSUIMultiViewSegmentedControl::showIconImages,
                          &NSUIMultiViewSegmentedControl::setShowIconImages),
              NS_PROPERTY("outletSegmentWidthPixels", &NSUIMultiViewSegmentedControl::outletSegmentWidthPixels,
                          &NSUIMultiViewSegmentedControl::setOutletSegmentWidthPixels))
OBJC_METHODS(NSUIMultiViewSegmentedControl,
             OBJC_METHOD("segmentChangedAction:", &NSUIMultiViewSegmentedControl::segmentChangedAction))

NSUIMultiViewSegmentedControl::~NSUIMultiViewSegmentedControl() { setOutletSegmentWidthPixels(nullptr); }

NSObject* NSUIMultiViewSegmentedControl::initWithCoder(NSCoder* coder) {
  NSObject* result = NSSegmentedControl::initWithCoder(coder);
  if (!result) return nullptr;
  mShowTitles = true;
  mShowIconImages = false;
  mOutletSegmentWidthPixels = nullptr;
  return result;
}

void NSUIMultiViewSegmentedControl::setOutletSegmentWidthPixels(NSNumber* width) {
  mOutletSegmentWidthPixels = RefPtr<NSNumber>(width);
}

CGFloat NSUIMultiViewSegmentedControl::segmentWidth() const {
  if (mOutletSegmentWidthPixels) return CGFloat(mOutletSegmentWidthPixels->integerValue());
  if (segmentCount() > 0) return (frame().size.width - defaultAutoSegmentMarginWidth()) / CGFloat(segmentCount());
  return 72.0;
}

void NSUIMultiViewSegmentedControl::segmentChangedAction(NSObject*) {
  RefPtr<NSObject> delegate = mDelegate.get();
  if (auto* host = dynamic_cast<protocol_MultiViewHost*>(delegate.get())) host->setSelectedMultiViewTitle(selectedMultiViewTitle());
}

void NSUIMultiViewSegmentedControl::refreshMultiViewTitlesWithSelection(NSString*) {
  RefPtr<NSObject> delegate = mDelegate.get();
  auto* host = dynamic_cast<protocol_MultiViewHost*>(delegate.get());
  if (!host) return;
  RefPtr<NSArray> titles(host->switchingMultiViewTitleList());
  if (!titles) return;
  setSegmentCount(NSInteger(titles->count()));
  RefPtr<NSString> selected(host->selectedMultiViewTitle());
  for (NSUInteger i = 0; i < titles->count(); ++i) {
    auto* title = static_cast<NSString*>(titles->objectAtIndex(i));
    const NSInteger segment = NSInteger(i);
    if (mShowTitles) setLabel_forSegment(title, segment);
    if (mShowIconImages) {
      if (auto* client = dynamic_cast<protocol_MultiViewClient*>(host->multiViewWithTitle(title))) {
        if (NSImage* image = client->multiViewIconImage()) setImage_forSegment(image, segment);
      }
    }
    setWidth_forSegment(segmentWidth(), segment);
    if (selected && title->isEqualToString(selected.get()) && !isSelectedForSegment(segment)) setSelectedSegment(segment);
  }
  host->multiViewSwitchingControlSelectionChanged(this);
}

bool NSUIMultiViewSegmentedControl::setSelectedMultiViewTitle(NSString* title) {
  try {
    for (NSInteger i = 0; i < segmentCount(); ++i) {
      NSString* label = labelForSegment(i);
      if (label && title && label->compare(title) == NSOrderedSame) {
        setSelectedSegment(i);
        return true;
      }
    }
  } catch (const NSException::Raised&) {
  }
  return false;
}

NSString* NSUIMultiViewSegmentedControl::selectedSegmentLabel() const {
  try {
    return hasSelectedSegment() ? labelForSegment(selectedSegment()) : nullptr;
  } catch (const NSException::Raised& raised) {
    NSLog(NSSTR("NSUIMultiViewSegmentedControl::selectedSegmentLabel: exception:%@\n"), raised.exception());
    return nullptr;
  }
}
