#include "NSOGLFilterColorProperty.h"

namespace {

NSColor* immortal(NSColor* color) {
  color->retain();
  color->makeImmortal();
  return color;
}

}  // namespace

NSColor* NSOGLFilterColorProperty::calibratedWhite() {
  static NSColor* const sWhite = immortal(NSColor::colorWithCalibratedRed_green_blue_alpha(1, 1, 1, 1));
  return sWhite;
}

NSColor* NSOGLFilterColorProperty::calibratedGreen() {
  static NSColor* const sGreen = immortal(NSColor::colorWithCalibratedRed_green_blue_alpha(0, 1, 0, 1));
  return sGreen;
}
