#pragma once
// Buttons: a control with a title, images for its off and on states, and a button cell.
// A click (mouse down and up inside) changes the state of buttons that keep one and sends
// the action. It draws its image (the alternate one while on, when it has one), centred.
#include <AppKit/NSButtonCell.h>
#include <AppKit/NSControl.h>

class NSImage;

class APPKIT_CLASS NSButton : public NSControl {
  OBJC_CLASS_DECL(NSButton, NSControl)

 public:
  struct Meta : NSControl::Meta {
    Class cellClass(Class cls) const override;
  };

  NSButtonCell* buttonCell() const;
  NSString* title() const;
  virtual void setTitle(NSString* title);
  NSImage* image() const;
  virtual void setImage(NSImage* image);
  NSImage* alternateImage() const;
  void setAlternateImage(NSImage* image);
  NSInteger state() const;
  virtual void setState(NSInteger state);
  void setButtonType(NSButtonType type);
  NSBezelStyle bezelStyle() const;
  void setBezelStyle(NSBezelStyle style);
  NSCellImagePosition imagePosition() const;
  void setImagePosition(NSCellImagePosition position);
  bool isBordered() const;
  void setBordered(bool bordered);

  void mouseDown(NSEvent* event) override;
  void mouseUp(NSEvent* event) override;
  void drawRect(NSRect dirtyRect) override;

 protected:
  NSButton() = default;

 private:
  bool mTracking = false;
};
