#pragma once
// Text views: a view that holds a text ("string") in a font, editable or not.
#include <AppKit/NSView.h>

class NSFont;

class APPKIT_CLASS NSTextView : public NSView {
  OBJC_CLASS_DECL(NSTextView, NSView)

 public:
  NSObject* initWithCoder(NSCoder* coder) override;

  // The text; never null.
  NSString* string() const;
  virtual void setString(NSString* string);
  NSFont* font() const { return mFont.get(); }
  void setFont(NSFont* font);
  bool isEditable() const { return mEditable; }
  void setEditable(bool editable) { mEditable = editable; }
  bool isSelectable() const { return mSelectable; }
  void setSelectable(bool selectable) { mSelectable = selectable; }
  bool acceptsFirstResponder() override { return mSelectable; }

 protected:
  NSTextView() = default;

 private:
  RefPtr<NSString> mString;
  RefPtr<NSFont> mFont;
  bool mEditable = true;
  bool mSelectable = true;
};
