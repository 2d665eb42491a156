#include <AppKit/NSSegmentedControl.h>

#include <AppKit/NSImage.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSException.h>

OBJC_CLASS_DEFINE(NSSegmentedControl)

NSObject* NSSegmentedControl::initWithCoder(NSCoder* coder) {
  NSControl::initWithCoder(coder);
  setSegmentCount(coder->decodeIntegerForKey(NSSTR("segmentCount")));
  if (auto* labels = NSDynamicCast<NSArray>(coder->decodeObjectForKey(NSSTR("labels")))) {
    if (NSInteger(labels->count()) > segmentCount()) setSegmentCount(NSInteger(labels->count()));
    for (NSUInteger i = 0; i < labels->count(); ++i) {
      setLabel_forSegment(NSDynamicCast<NSString>(labels->objectAtIndex(i)), NSInteger(i));
    }
  }
  if (coder->containsValueForKey(NSSTR("selectedSegment"))) {
    setSelectedSegment(coder->decodeIntegerForKey(NSSTR("selectedSegment")));
  }
  return this;
}

void NSSegmentedControl::check(NSInteger segment) const {
  if (segment < 0 || segment >= segmentCount()) {
    NSException::raise_format(NSRangeException, NSSTR("Segment %ld out of range (0...%ld)"), long(segment),
                              long(segmentCount()) - 1);
  }
}

void NSSegmentedControl::setSegmentCount(NSInteger count) {
  mSegments.resize(size_t(std::max<NSInteger>(0, count)));
  if (mSelected >= segmentCount()) mSelected = -1;
  setNeedsDisplay(true);
}

NSString* NSSegmentedControl::labelForSegment(NSInteger segment) const {
  check(segment);
  return mSegments[size_t(segment)].label.get();
}

void NSSegmentedControl::setLabel_forSegment(NSString* label, NSInteger segment) {
  check(segment);
  mSegments[size_t(segment)].label = RefPtr<NSString>(label ? NSString::stringWithString(label) : nullptr);
  setNeedsDisplay(true);
}

NSImage* NSSegmentedControl::imageForSegment(NSInteger segment) const {
  check(segment);
  return mSegments[size_t(segment)].image.get();
}

void NSSegmentedControl::setImage_forSegment(NSImage* image, NSInteger segment) {
  check(segment);
  mSegments[size_t(segment)].image = RefPtr<NSImage>(image);
  setNeedsDisplay(true);
}

CGFloat NSSegmentedControl::widthForSegment(NSInteger segment) const {
  check(segment);
  return mSegments[size_t(segment)].width;
}

void NSSegmentedControl::setWidth_forSegment(CGFloat width, NSInteger segment) {
  check(segment);
  mSegments[size_t(segment)].width = width;
  setNeedsDisplay(true);
}

void NSSegmentedControl::setSelectedSegment(NSInteger segment) {
  mSelected = segment >= 0 && segment < segmentCount() ? segment : -1;
  setNeedsDisplay(true);
}

void NSSegmentedControl::setSelected_forSegment(bool selected, NSInteger segment) {
  check(segment);
  if (selected) {
    mSelected = segment;
  } else if (mSelected == segment) {
    mSelected = -1;
  }
  setNeedsDisplay(true);
}

bool NSSegmentedControl::selectSegmentWithTag(NSInteger tag) {
  if (tag < 0 || tag >= segmentCount()) return false;
  setSelectedSegment(tag);
  return true;
}

void NSSegmentedControl::performClickOnSegment(NSInteger segment) {
  if (segment < 0 || segment >= segmentCount() || !isEnabled()) return;
  setSelectedSegment(segment);
  sendAction_to(action(), target());
}
