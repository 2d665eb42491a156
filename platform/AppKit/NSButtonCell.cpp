#include <AppKit/NSButtonCell.h>

#include <AppKit/NSImage.h>
#include <Foundation/NSCoder.h>

OBJC_CLASS_DEFINE(NSButtonCell)

NSObject* NSButtonCell::initWithCoder(NSCoder* coder) {
  NSActionCell::initWithCoder(coder);
  if (coder->containsValueForKey(NSSTR("buttonType"))) setButtonType(NSButtonType(coder->decodeIntegerForKey(NSSTR("buttonType"))));
  if (coder->containsValueForKey(NSSTR("bezelStyle"))) mBezelStyle = NSBezelStyle(coder->decodeIntegerForKey(NSSTR("bezelStyle")));
  if (coder->containsValueForKey(NSSTR("imagePosition"))) {
    mImagePosition = NSCellImagePosition(coder->decodeIntegerForKey(NSSTR("imagePosition")));
  }
  return this;
}

void NSButtonCell::setAlternateImage(NSImage* image) { mAlternateImage = RefPtr<NSImage>(image); }

void NSButtonCell::setButtonType(NSButtonType type) {
  mButtonType = type;
  switch (type) {
    case NSMomentaryLightButton: mHighlightsBy = NSChangeBackgroundCellMask; mShowsStateBy = NSNoCellMask; break;
    case NSPushOnPushOffButton: mHighlightsBy = NSPushInCellMask | NSChangeGrayCellMask; mShowsStateBy = NSChangeBackgroundCellMask; break;
    case NSToggleButton: mHighlightsBy = NSPushInCellMask | NSContentsCellMask; mShowsStateBy = NSContentsCellMask; break;
    case NSSwitchButton:
    case NSRadioButton: mHighlightsBy = NSContentsCellMask; mShowsStateBy = NSContentsCellMask; break;
    case NSMomentaryChangeButton: mHighlightsBy = NSContentsCellMask; mShowsStateBy = NSNoCellMask; break;
    case NSOnOffButton: mHighlightsBy = NSChangeBackgroundCellMask; mShowsStateBy = NSChangeBackgroundCellMask; break;
    default: mHighlightsBy = NSPushInCellMask | NSChangeGrayCellMask; mShowsStateBy = NSNoCellMask; break;
  }
}

bool NSButtonCell::changesState() const {
  switch (mButtonType) {
    case NSPushOnPushOffButton:
    case NSToggleButton:
    case NSSwitchButton:
    case NSRadioButton:
    case NSOnOffButton:
      return true;
    default:
      return mShowsStateBy != NSNoCellMask;
  }
}
