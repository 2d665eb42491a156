#pragma once
// A view that fills its bounds with the glossy fill in its colour (the class's default colour
// until set, also when decoded from a nib).
#include <AppKit/NSColor.h>
#include <AppKit/NSView.h>

#include "UAtomicProperty.h"

int import_NSUISheenmarkGlossyView();

class NSUISheenmarkGlossyView : public NSView {
  OBJC_CLASS_DECL(NSUISheenmarkGlossyView, NSView)

 public:
  struct Meta : NSView::Meta {
    virtual NSColor* defaultGlossyColor(Class) const { return NSColor::darkGrayColor(); }
  };

  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;

  NSColor* glossyColor() const { return mGlossyColor.get(); }
  void setGlossyColor(NSColor* color) { mGlossyColor.set(color); }

  void drawRect(NSRect rect) override;
  bool isOpaque() const override { return true; }
  bool acceptsFirstResponder() override { return false; }
  bool acceptsFirstMouse(NSEvent*) override { return true; }

 protected:
  ~NSUISheenmarkGlossyView() override;

 private:
  void useDefaultColor();

  UAtomicProperty<NSColor> mGlossyColor;
};
