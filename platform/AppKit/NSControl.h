#pragma once
// Controls: views that show a value through their cell and send an action to a target when
// the user changes it. The cell is made from the class's cellClass; a control from a nib
// decodes its cell under "cell" or makes one, and takes "title", "stringValue", "tag",
// "state" and "enabled" for it.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/Selector.h>

#include <AppKit/NSCell.h>
#include <AppKit/NSView.h>

class NSFont;

class APPKIT_CLASS NSControl : public NSView {
  OBJC_CLASS_DECL(NSControl, NSView)

 public:
  struct Meta : NSView::Meta {
    // +cellClass: the class of the cells that controls of the class make.
    virtual Class cellClass(Class cls) const;
  };

  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;

  NSCell* cell() const { return mCell.get(); }
  virtual void setCell(NSCell* cell);

  virtual NSObject* target() const;
  virtual void setTarget(NSObject* target);
  virtual SEL action() const;
  virtual void setAction(SEL action);
  NSInteger tag() const override;
  void setTag(NSInteger tag) override;

  NSObject* objectValue() const;
  virtual void setObjectValue(NSObject* value);
  NSString* stringValue() const;
  virtual void setStringValue(NSString* value);
  NSInteger integerValue() const;
  int intValue() const;
  void setIntegerValue(NSInteger value);
  void setIntValue(int value) { setIntegerValue(value); }
  double doubleValue() const;
  float floatValue() const { return float(doubleValue()); }
  void setDoubleValue(double value);
  void setFloatValue(float value) { setDoubleValue(value); }
  NSFont* font() const;
  void setFont(NSFont* font);
  bool isEnabled() const;
  virtual void setEnabled(bool enabled);

  void takeStringValueFrom(NSObject* sender);
  void takeIntegerValueFrom(NSObject* sender);
  void takeDoubleValueFrom(NSObject* sender);

  // Sends the action (the control's by default) to the target through the application.
  bool sendAction_to(SEL action, NSObject* target);
  void performClick(NSObject* sender);

  bool acceptsFirstMouse(NSEvent* event) override;
  // The cell draws the control.
  void drawRect(NSRect dirtyRect) override;
  bool isContinuous() const { return mCell && mCell->isContinuous(); }
  void setContinuous(bool flag) {
    if (mCell) mCell->setContinuous(flag);
  }

 protected:
  NSControl() = default;
  ~NSControl() override;

 private:
  void makeCell();

  RefPtr<NSCell> mCell;
};
