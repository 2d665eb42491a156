#pragma once
// Cells that show their value as one line of text in their font and text colour (the data
// cells of table columns).
#include <AppKit/NSCell.h>

class NSColor;

class APPKIT_CLASS NSTextFieldCell : public NSActionCell {
  OBJC_CLASS_DECL(NSTextFieldCell, NSActionCell)

 public:
  NSColor* textColor() const;
  void setTextColor(NSColor* color);
  void drawWithFrame_inView(NSRect cellFrame, NSView* controlView) override;

 protected:
  NSTextFieldCell() = default;
  ~NSTextFieldCell() override;

 private:
  RefPtr<NSColor> mTextColor;
};
