#include "NSUINfoGraffik.h"

#include <AppKit/NSButtonCell.h>
#include <AppKit/NSImage.h>

int import_NSUINfoGraffik() { return import_NSUINfoGraffikImage() && import_NSUIToolButton(); }

OBJC_CLASS_DEFINE(NSUINfoGraffik)
OBJC_CLASS_DEFINE(NSUINfoGraffikRound)
OBJC_CLASS_DEFINE(NSUINfoGraffikRoundRect)
OBJC_CLASS_DEFINE(NSUINfoGraffikToggle)
OBJC_CLASS_DEFINE(NSUINfoGraffikRadio)
OBJC_CLASS_DEFINE(NSUINfoGraffikRoundPushOnPushOff)

namespace NSUIToolButton_NSUINfoGraffik {

Class buttonCellImageClass(NSUIToolButton*) { return NSUINfoGraffikImage::class_(); }

void setButtonCellImages_forKind(NSUIToolButton* button, NSString* name, NSInteger kind) {
  NSButtonCell* cell = button ? button->buttonCell() : nullptr;
  // A button without a title (an empty one) names no picture.
  if (!cell || !name || name->length() == 0) return;
  const NSSize size = button->frame().size;
  if (NSImage* off = NSUINfoGraffikImage::button_imageForSizeState_forSize_forState_forKind(button, name,
                                                                                            size, 0, kind)) {
    cell->setImage(off);
  }
  if (NSImage* on = NSUINfoGraffikImage::button_imageForSizeState_forSize_forState_forKind(button, name, size,
                                                                                           1, kind)) {
    cell->setAlternateImage(on);
  }
}

void initInfoGraffik(NSUIToolButton* button, NSInteger kind) {
  setButtonCellImages_forKind(button, button ? button->title() : nullptr, kind);
}

}  // namespace NSUIToolButton_NSUINfoGraffik

using namespace NSUIToolButton_NSUINfoGraffik;

NSUINfoGraffik::~NSUINfoGraffik() { setButtonName(nullptr); }

bool NSUINfoGraffik::isButtonNamed(NSString* name) const {
  NSString* current = buttonName();
  return current && name && current->caseInsensitiveCompare(name) == NSOrderedSame;
}

void NSUINfoGraffik::setButtonImageName(NSString* name) {
  if (isButtonNamed(name)) return;
  setButtonName(name ? NSString::stringWithString(name) : nullptr);
  updateButtonImages();
}

void NSUINfoGraffik::updateButtonImages() {
  setButtonCellImages_forKind(this, buttonName(), mButtonKind);
  setNeedsDisplay(true);
}

void NSUINfoGraffik::setTitle(NSString* title) { setButtonImageName(title); }

void NSUINfoGraffik::setImage(NSImage* image) {
  NSString* name = image ? image->name() : nullptr;
  if (!isButtonNamed(name)) setButtonImageName(name);
}

void NSUINfoGraffik::initToolAttributes() {
  setButtonName(nullptr);
  NSString* title = this->title();
  setButtonName(title && title->length() > 0 ? NSString::stringWithString(title) : nullptr);
  initInfoGraffik(this, mButtonKind);
  NSUIToolButton::initToolAttributes();
}

void NSUINfoGraffik::initCellAttributes(NSButtonCell* cell) {
  NSUIToolButton::initCellAttributes(cell);
  if (cell) cell->setCellAttribute_to(NSCellLightsByContents, 1);
}

void NSUINfoGraffik::awakeFromNib() {
  NSUIToolButton::awakeFromNib();
  if (delegate() && buttonName()) updateButtonImages();
}

void NSUINfoGraffikRound::initToolAttributes() {
  setButtonKind(3);
  NSUINfoGraffik::initToolAttributes();
}

void NSUINfoGraffikRoundRect::initToolAttributes() {
  setButtonKind(2);
  NSUINfoGraffik::initToolAttributes();
}

void NSUINfoGraffikToggle::initToolAttributes() {
  initInfoGraffik(this, 0);
  NSUIToggleButton::initToolAttributes();
}

void NSUINfoGraffikRadio::initToolAttributes() {
  initInfoGraffik(this, 1);
  NSUIToggleButton::initToolAttributes();
}

void NSUINfoGraffikRoundPushOnPushOff::initToolAttributes() {
  setButtonKind(4);
  initInfoGraffik(this, 4);
  NSUIToggleButton::initToolAttributes();
}

void NSUINfoGraffikRoundPushOnPushOff::initCellAttributes(NSButtonCell* cell) {
  NSUIToggleButton::initCellAttributes(cell);
  if (!cell) return;
  cell->setCellAttribute_to(NSCellLightsByContents, 1);
  cell->setButtonType(NSPushOnPushOffButton);
}
