#pragma once
// Colours of Core Image: red, green, blue and alpha, device RGB.
#include <CoreGraphics/CGBase.h>
#include <Foundation/NSObject.h>

#include <CoreImage/CoreImageDefines.h>

class COREIMAGE_CLASS CIColor : public NSObject {
  OBJC_CLASS_DECL(CIColor, NSObject)

 public:
  // Autoreleased.
  static CIColor* colorWithRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);

  CGFloat red() const { return mRed; }
  CGFloat green() const { return mGreen; }
  CGFloat blue() const { return mBlue; }
  CGFloat alpha() const { return mAlpha; }

 protected:
  CIColor() = default;

 private:
  CGFloat mRed = 0, mGreen = 0, mBlue = 0, mAlpha = 1;
};
