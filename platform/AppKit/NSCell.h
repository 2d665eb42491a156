#pragma once
// Cells: the value and look of a control (a control keeps one cell). The value is an object
// (objectValue); the string, integer and double values are views of it. Cell attributes
// (setCellAttribute_to) are kept as numbers by attribute.
#include <map>

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/Selector.h>
#include <objc/WeakPtr.h>

#include <AppKit/NSGeometry.h>
#include <AppKit/NSGraphics.h>
#include <AppKit/NSMenuItem.h>

class NSCoder;
class NSFont;
class NSImage;
class NSView;

typedef NSUInteger NSCellAttribute;
enum : NSUInteger {
  NSCellDisabled = 0,
  NSCellState = 1,
  NSPushInCell = 2,
  NSCellEditable = 3,
  NSChangeGrayCell = 4,
  NSCellHighlighted = 5,
  NSCellLightsByContents = 6,
  NSCellLightsByGray = 7,
  NSChangeBackgroundCell = 8,
  NSCellLightsByBackground = 9,
  NSCellIsBordered = 10,
  NSCellHasOverlappingImage = 11,
  NSCellHasImageHorizontal = 12,
  NSCellHasImageOnLeftOrBottom = 13,
  NSCellChangesContents = 14,
  NSCellIsInsetButton = 15,
  NSCellAllowsMixedState = 16,
};

typedef NSUInteger NSCellType;
enum : NSUInteger { NSNullCellType = 0, NSTextCellType = 1, NSImageCellType = 2 };

typedef NSUInteger NSControlSize;
enum : NSUInteger { NSRegularControlSize = 0, NSSmallControlSize = 1, NSMiniControlSize = 2 };

class APPKIT_CLASS NSCell : public NSObject {
  OBJC_CLASS_DECL(NSCell, NSObject)

 public:
  NSObject* init() override { return initTextCell(NSString::string()); }
  virtual NSCell* initTextCell(NSString* text);
  virtual NSCell* initImageCell(NSImage* image);
  NSObject* initWithCoder(NSCoder* coder) override;

  NSObject* objectValue() const { return mObjectValue.get(); }
  virtual void setObjectValue(NSObject* value);
  NSString* stringValue() const;
  void setStringValue(NSString* value);
  NSInteger integerValue() const;
  int intValue() const { return int(integerValue()); }
  void setIntegerValue(NSInteger value);
  void setIntValue(int value) { setIntegerValue(value); }
  double doubleValue() const;
  void setDoubleValue(double value);
  float floatValue() const { return float(doubleValue()); }

  NSString* title() const { return mTitle.get(); }
  virtual void setTitle(NSString* title);
  NSImage* image() const { return mImage.get(); }
  virtual void setImage(NSImage* image);
  NSFont* font() const { return mFont.get(); }
  void setFont(NSFont* font);
  NSInteger state() const { return mState; }
  virtual void setState(NSInteger state);
  bool allowsMixedState() const { return mAllowsMixedState; }
  void setAllowsMixedState(bool flag) { mAllowsMixedState = flag; }
  NSInteger nextState() const;
  bool isEnabled() const { return mEnabled; }
  void setEnabled(bool enabled) { mEnabled = enabled; }
  bool isEditable() const { return mEditable; }
  void setEditable(bool editable) { mEditable = editable; }
  bool isHighlighted() const { return mHighlighted; }
  void setHighlighted(bool highlighted) { mHighlighted = highlighted; }
  bool isBordered() const { return mBordered; }
  void setBordered(bool bordered) { mBordered = bordered; }
  bool isBezeled() const { return mBezeled; }
  void setBezeled(bool bezeled) { mBezeled = bezeled; }
  NSCellType type() const { return mType; }
  void setType(NSCellType type) { mType = type; }
  NSInteger tag() const { return mTag; }
  void setTag(NSInteger tag) { mTag = tag; }
  NSControlSize controlSize() const { return mControlSize; }
  void setControlSize(NSControlSize size) { mControlSize = size; }
  NSFocusRingType focusRingType() const { return mFocusRingType; }
  void setFocusRingType(NSFocusRingType type) { mFocusRingType = type; }
  // Whether a control sends its action while the mouse drags, not only when it comes up.
  bool isContinuous() const { return mContinuous; }
  void setContinuous(bool flag) { mContinuous = flag; }
  NSInteger cellAttribute(NSCellAttribute attribute) const;
  virtual void setCellAttribute_to(NSCellAttribute attribute, NSInteger value);

  // Target and action: kept by action cells; a plain cell has none.
  virtual NSObject* target() const { return nullptr; }
  virtual void setTarget(NSObject*) {}
  virtual SEL action() const { return nullptr; }
  virtual void setAction(SEL) {}

  NSView* controlView() const;
  void setControlView(NSView* view);

  // Drawing into the current graphics context, in the control view's coordinates; a plain
  // cell draws nothing.
  virtual void drawWithFrame_inView(NSRect /*cellFrame*/, NSView* /*controlView*/) {}
  virtual bool isOpaque() const { return false; }
  // Mouse tracking, as the control passes it on: the start (the mouse-down point), every
  // move while the button is held (false ends the tracking) and the end, in the control
  // view's coordinates.
  virtual bool startTrackingAt_inView(NSPoint /*startPoint*/, NSView* /*controlView*/) { return true; }
  virtual bool continueTracking_at_inView(NSPoint /*lastPoint*/, NSPoint /*currentPoint*/,
                                          NSView* /*controlView*/) {
    return true;
  }
  virtual void stopTracking_at_inView_mouseIsUp(NSPoint /*lastPoint*/, NSPoint /*stopPoint*/,
                                                NSView* /*controlView*/, bool /*mouseIsUp*/) {}

 protected:
  NSCell() = default;
  ~NSCell() override;

 private:
  RefPtr<NSObject> mObjectValue;
  RefPtr<NSString> mTitle;
  RefPtr<NSImage> mImage;
  RefPtr<NSFont> mFont;
  NSInteger mState = NSOffState;
  bool mAllowsMixedState = false;
  bool mEnabled = true;
  bool mEditable = false;
  bool mHighlighted = false;
  bool mBordered = false;
  bool mBezeled = false;
  NSCellType mType = NSTextCellType;
  NSInteger mTag = 0;
  NSControlSize mControlSize = NSRegularControlSize;
  NSFocusRingType mFocusRingType = NSFocusRingTypeDefault;
  bool mContinuous = false;
  std::map<NSCellAttribute, NSInteger> mAttributes;
  WeakPtr<NSView> mControlView;
};

// A cell that keeps a target (not retained) and an action.
class APPKIT_CLASS NSActionCell : public NSCell {
  OBJC_CLASS_DECL(NSActionCell, NSCell)

 public:
  NSObject* target() const override { return mTarget.get().get(); }
  void setTarget(NSObject* target) override { mTarget = target; }
  SEL action() const override { return mAction; }
  void setAction(SEL action) override { mAction = action; }

 protected:
  NSActionCell() = default;

 private:
  WeakPtr<NSObject> mTarget;
  SEL mAction = nullptr;
};
