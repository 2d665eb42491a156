#pragma once
// A plain container view: draws nothing, takes the first click, and runs initViewAttributes
// from initWithFrame (a holder decoded from a nib does not run it).
#include <AppKit/NSView.h>

int import_NSUIViewHolder();

class NSUIViewHolder : public NSView {
  OBJC_CLASS_DECL(NSUIViewHolder, NSView)

 public:
  NSView* initWithFrame(NSRect frame) override;
  // Hook for subclasses; answers the view to use (self).
  virtual NSView* initViewAttributes() { return this; }
  void drawRect(NSRect) override {}
  bool acceptsFirstMouse(NSEvent*) override { return true; }
};
