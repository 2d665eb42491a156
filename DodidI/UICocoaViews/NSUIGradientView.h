#pragma once
// Views filled with a two-colour gradient from bottom (starting colour) to top (ending colour),
// with a one-unit border line along the bottom edge. The class's colours are class methods
// that subclasses override; a view decoded from a nib starts with them too, and code changes
// them afterwards.
#include <AppKit/NSBezierPath.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGradient.h>
#include <AppKit/NSView.h>

#include "UAtomicProperty.h"

int import_NSUIGradientView();

class NSUIGradientView : public NSView {
  OBJC_CLASS_DECL(NSUIGradientView, NSView)

 public:
  struct Meta : NSView::Meta {
    virtual NSColor* gradientStartingColor(Class cls) const;
    virtual NSColor* gradientEndingColor(Class cls) const;
    // A new autoreleased path: one line from (0, 0) to (width, 0).
    virtual NSBezierPath* borderForFrameSize(Class cls, NSSize size) const;
  };

  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  void setDefaults();
  void initGradient(NSRect rect);

  NSGradient* gradient() const { return mGradient.get(); }
  void setGradient(NSGradient* gradient) { mGradient.set(gradient); }
  NSBezierPath* border() const { return mBorder.get(); }
  void setBorder(NSBezierPath* border) { mBorder.set(border); }
  // Takes effect at the next display, without marking the view.
  NSColor* borderColor() const { return mBorderColor.get(); }
  void setBorderColor(NSColor* color) { mBorderColor.set(color); }
  NSColor* startColor() const { return mStartColor.get(); }
  NSColor* endColor() const { return mEndColor.get(); }
  // Rebuild the gradient and mark the view for display.
  void setStartColor(NSColor* color);
  void setEndColor(NSColor* color);

  void setFrameSize(NSSize size) override;
  void drawRect(NSRect rect) override;
  bool isOpaque() const override { return true; }
  bool acceptsFirstResponder() override { return false; }
  bool acceptsFirstMouse(NSEvent*) override { return true; }

 protected:
  ~NSUIGradientView() override;

 private:
  UAtomicProperty<NSGradient> mGradient;
  UAtomicProperty<NSBezierPath> mBorder;
  UAtomicProperty<NSColor> mBorderColor;
  UAtomicProperty<NSColor> mStartColor;
  UAtomicProperty<NSColor> mEndColor;
};
