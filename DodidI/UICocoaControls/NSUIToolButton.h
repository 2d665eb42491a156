#pragma once
// Tool buttons: borderless, image-only buttons without highlighting of their own, which answer
// the colours and image opacity that drawn buttons paint themselves with in each state, asking
// an optional delegate first. A toggle button shows its alternate image while on; an oval
// tool button with only one image paints a filled oval behind it.
#include <optional>

#include <AppKit/NSButton.h>
#include <objc/WeakPtr.h>

class NSColor;
class NSUIToolButton;

int import_NSUIToolButton();

// The delegate's optional methods: a method answers nothing (nullopt) until a delegate class
// implements it; an implementation may still answer a null colour.
class NSUIToolButtonDelegate {
 public:
  virtual std::optional<float> toolButton_imageOpacityForState(NSUIToolButton* button, NSInteger state) {
    return std::nullopt;
  }
  virtual std::optional<NSColor*> toolButton_strokeColorForState(NSUIToolButton* button, NSInteger state) {
    return std::nullopt;
  }
  virtual std::optional<NSColor*> toolButton_fillColorForState(NSUIToolButton* button, NSInteger state) {
    return std::nullopt;
  }

 protected:
  ~NSUIToolButtonDelegate() = default;
};

class NSUIToolButton : public NSButton {
  OBJC_CLASS_DECL(NSUIToolButton, NSButton)

 public:
  // Sets a button cell up as a tool button's; a null cell is reported and answered NO.
  static bool setDefaultCellAttributes(NSButtonCell* cell);

  NSObject* init() override { return initWithFrame(NSZeroRect); }
  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  virtual void initToolAttributes();
  virtual void initCellAttributes(NSButtonCell* cell);

  virtual NSInteger buttonKind() const { return 0; }
  virtual void setButtonKind(NSInteger) {}
  bool hasOnlyOneImage() const { return alternateImage() == nullptr; }

  float buttonImageOpacityForState(NSInteger state);
  virtual float defaultButtonImageOpacityForState(NSInteger) const { return 1.0f; }
  NSColor* buttonStrokeColorForState(NSInteger state);
  virtual NSColor* defaultButtonStrokeColorForState(NSInteger state) const;
  NSColor* buttonFillColorForState(NSInteger state);
  virtual NSColor* defaultButtonFillColorForState(NSInteger state) const;
  virtual NSColor* defaultButtonHighlightColor() const;

  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

 private:
  NSUIToolButtonDelegate* toolDelegate() const;

  WeakPtr<NSObject> mDelegate;
};

class NSUIToggleButton : public NSUIToolButton {
  OBJC_CLASS_DECL(NSUIToggleButton, NSUIToolButton)

 public:
  void initCellAttributes(NSButtonCell* cell) override;
};

class NSUIOvalToolButton : public NSUIToolButton {
  OBJC_CLASS_DECL(NSUIOvalToolButton, NSUIToolButton)

 public:
  void drawRect(NSRect rect) override;
  // Fills the oval inscribed in the bounds (whatever rect is given) in the state's colour.
  void drawBackground_forState(NSRect rect, NSInteger state);
};
