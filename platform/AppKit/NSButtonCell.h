#pragma once
// The cell of a button: its images, bezel, and what its highlight and state show.
#include <AppKit/NSCell.h>

class NSImage;

typedef NSUInteger NSBezelStyle;
enum : NSUInteger {
  NSRoundedBezelStyle = 1,
  NSRegularSquareBezelStyle = 2,
  NSShadowlessSquareBezelStyle = 6,
  NSSmallSquareBezelStyle = 10,
  NSTexturedSquareBezelStyle = 8,
};

typedef NSUInteger NSCellImagePosition;
enum : NSUInteger {
  NSNoImage = 0,
  NSImageOnly = 1,
  NSImageLeft = 2,
  NSImageRight = 3,
  NSImageBelow = 4,
  NSImageAbove = 5,
  NSImageOverlaps = 6,
};

// What highlightsBy and showsStateBy use: masks of the cell attributes they name.
enum : NSInteger {
  NSNoCellMask = 0,
  NSContentsCellMask = 1,
  NSPushInCellMask = 2,
  NSChangeGrayCellMask = 4,
  NSChangeBackgroundCellMask = 8,
};

typedef NSUInteger NSButtonType;
enum : NSUInteger {
  NSMomentaryLightButton = 0,
  NSPushOnPushOffButton = 1,
  NSToggleButton = 2,
  NSSwitchButton = 3,
  NSRadioButton = 4,
  NSMomentaryChangeButton = 5,
  NSOnOffButton = 6,
  NSMomentaryPushInButton = 7,
};

class APPKIT_CLASS NSButtonCell : public NSActionCell {
  OBJC_CLASS_DECL(NSButtonCell, NSActionCell)

 public:
  NSObject* initWithCoder(NSCoder* coder) override;

  NSBezelStyle bezelStyle() const { return mBezelStyle; }
  void setBezelStyle(NSBezelStyle style) { mBezelStyle = style; }
  NSCellImagePosition imagePosition() const { return mImagePosition; }
  void setImagePosition(NSCellImagePosition position) { mImagePosition = position; }
  NSInteger highlightsBy() const { return mHighlightsBy; }
  void setHighlightsBy(NSInteger mask) { mHighlightsBy = mask; }
  NSInteger showsStateBy() const { return mShowsStateBy; }
  void setShowsStateBy(NSInteger mask) { mShowsStateBy = mask; }
  NSImage* alternateImage() const { return mAlternateImage.get(); }
  void setAlternateImage(NSImage* image);
  void setButtonType(NSButtonType type);
  NSButtonType buttonType() const { return mButtonType; }
  // Whether clicking changes the state (toggle, switch, radio, on-off, push-on-push-off).
  bool changesState() const;

 protected:
  NSButtonCell() = default;

 private:
  NSBezelStyle mBezelStyle = NSRoundedBezelStyle;
  NSCellImagePosition mImagePosition = NSNoImage;
  NSInteger mHighlightsBy = NSPushInCellMask | NSChangeGrayCellMask;
  NSInteger mShowsStateBy = NSNoCellMask;
  NSButtonType mButtonType = NSMomentaryPushInButton;
  RefPtr<NSImage> mAlternateImage;
};
