#include <AppKit/NSParagraphStyle.h>

OBJC_CLASS_DEFINE(NSParagraphStyle)
OBJC_CLASS_DEFINE(NSMutableParagraphStyle)

NSParagraphStyle* NSParagraphStyle::defaultParagraphStyle() {
  static NSParagraphStyle* const shared = [] {
    auto* style = new NSParagraphStyle();
    style->makeImmortal();
    return style;
  }();
  return shared;
}

NSMutableParagraphStyle* NSParagraphStyle::mutableCopy() const {
  auto* copy = static_cast<NSMutableParagraphStyle*>(NSMutableParagraphStyle::alloc()->init());
  copy->setAlignment(mAlignment);
  return copy;
}
