#include <CoreImage/CIColor.h>

OBJC_CLASS_DEFINE(CIColor)

CIColor* CIColor::colorWithRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  auto* color = new CIColor();
  color->mRed = red;
  color->mGreen = green;
  color->mBlue = blue;
  color->mAlpha = alpha;
  return static_cast<CIColor*>(color->autorelease());
}
