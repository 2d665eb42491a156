#pragma once
// Drawn image buttons: tool buttons whose off and on pictures are rendered in code when the
// button is set up, from the named picture its title gives, over a background of the button's
// kind: 0 a rounded square (the default, and the toggle), 1 a circle with the picture at 0.8 of
// its side (radio), 2 a rounded square (round rect), 3 and 4 a circle with the picture at 0.9
// (round, and round push-on-push-off). Setting the title renders the pictures again.
#include "NSUINfoGraffikImage.h"
#include "NSUIToolButton.h"
#include "UAtomicProperty.h"

int import_NSUINfoGraffik();

// The category NSUINfoGraffik of any tool button.
namespace NSUIToolButton_NSUINfoGraffik {

Class buttonCellImageClass(NSUIToolButton* button);
// Renders the pictures of the name at the button's frame size: the off picture as the cell's
// image, the on picture as its alternate image. Nothing without a cell or a name (an empty
// title names nothing).
void setButtonCellImages_forKind(NSUIToolButton* button, NSString* name, NSInteger kind);
// The pictures of the button's title.
void initInfoGraffik(NSUIToolButton* button, NSInteger kind);

}  // namespace NSUIToolButton_NSUINfoGraffik

class NSUINfoGraffik : public NSUIToolButton {
  OBJC_CLASS_DECL(NSUINfoGraffik, NSUIToolButton)

 public:
  NSInteger buttonKind() const override { return mButtonKind; }
  void setButtonKind(NSInteger kind) override { mButtonKind = kind; }
  NSFocusRingType focusRingType() const override { return NSFocusRingTypeNone; }

  NSString* buttonName() const { return mButtonName.get(); }
  void setButtonName(NSString* name) { mButtonName.set(name); }
  // Whether the button shows the pictures of the name, in any letter case.
  bool isButtonNamed(NSString* name) const;
  void setButtonImageName(NSString* name);
  void updateButtonImages();
  // A title or image names the pictures; the title text itself is not shown.
  void setTitle(NSString* title) override;
  void setImage(NSImage* image) override;

  void initToolAttributes() override;
  void initCellAttributes(NSButtonCell* cell) override;
  // With a delegate connected, its colours are rendered again.
  void awakeFromNib() override;

 protected:
  ~NSUINfoGraffik() override;

 private:
  NSInteger mButtonKind = 0;
  UAtomicProperty<NSString> mButtonName;
};

class NSUINfoGraffikRound : public NSUINfoGraffik {
  OBJC_CLASS_DECL(NSUINfoGraffikRound, NSUINfoGraffik)
 public:
  void initToolAttributes() override;
};

class NSUINfoGraffikRoundRect : public NSUINfoGraffik {
  OBJC_CLASS_DECL(NSUINfoGraffikRoundRect, NSUINfoGraffik)
 public:
  void initToolAttributes() override;
};

class NSUINfoGraffikToggle : public NSUIToggleButton {
  OBJC_CLASS_DECL(NSUINfoGraffikToggle, NSUIToggleButton)
 public:
  void initToolAttributes() override;
};

class NSUINfoGraffikRadio : public NSUIToggleButton {
  OBJC_CLASS_DECL(NSUINfoGraffikRadio, NSUIToggleButton)
 public:
  void initToolAttributes() override;
};

// Its toggle base keeps no kind: it renders its round pictures from its title as its siblings
// do, and switches on and off with each click.
class NSUINfoGraffikRoundPushOnPushOff : public NSUIToggleButton {
  OBJC_CLASS_DECL(NSUINfoGraffikRoundPushOnPushOff, NSUIToggleButton)
 public:
  void initToolAttributes() override;
  void initCellAttributes(NSButtonCell* cell) override;
};
