#include <AppKit/NSColor.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSImage.h>
#include <Foundation/NSBridging.h>

NSString* const NSCalibratedRGBColorSpace = NSSTR("NSCalibratedRGBColorSpace");
NSString* const NSDeviceRGBColorSpace = NSSTR("NSDeviceRGBColorSpace");
NSString* const NSCalibratedWhiteColorSpace = NSSTR("NSCalibratedWhiteColorSpace");
NSString* const NSDeviceWhiteColorSpace = NSSTR("NSDeviceWhiteColorSpace");
NSString* const NSPatternColorSpace = NSSTR("NSPatternColorSpace");

OBJC_CLASS_DEFINE(NSColor)

namespace {

bool isWhiteSpace(NSString* space) {
  return space && (space->isEqualToString(NSCalibratedWhiteColorSpace) || space->isEqualToString(NSDeviceWhiteColorSpace));
}

bool isRGBSpace(NSString* space) {
  return space && (space->isEqualToString(NSCalibratedRGBColorSpace) || space->isEqualToString(NSDeviceRGBColorSpace));
}

struct HSB {
  CGFloat hue = 0, saturation = 0, brightness = 0;
};

HSB hsbOf(CGFloat red, CGFloat green, CGFloat blue) {
  const CGFloat maximum = std::max({red, green, blue}), minimum = std::min({red, green, blue});
  const CGFloat range = maximum - minimum;
  HSB hsb;
  hsb.brightness = maximum;
  hsb.saturation = maximum > 0 ? range / maximum : 0;
  if (range <= 0) return hsb;
  CGFloat sixths;
  if (maximum == red) {
    sixths = (green - blue) / range;
  } else if (maximum == green) {
    sixths = 2 + (blue - red) / range;
  } else {
    sixths = 4 + (red - green) / range;
  }
  hsb.hue = sixths / 6;
  if (hsb.hue < 0) hsb.hue += 1;
  return hsb;
}

void rgbOf(CGFloat hue, CGFloat saturation, CGFloat brightness, CGFloat rgb[3]) {
  hue = hue - std::floor(hue);
  saturation = std::clamp<CGFloat>(saturation, 0, 1);
  const CGFloat sixths = hue * 6;
  const int sector = std::min(5, int(sixths));
  const CGFloat f = sixths - sector;
  const CGFloat p = brightness * (1 - saturation), q = brightness * (1 - saturation * f),
                t = brightness * (1 - saturation * (1 - f));
  const CGFloat table[6][3] = {{brightness, t, p}, {q, brightness, p}, {p, brightness, t},
                               {p, q, brightness}, {t, p, brightness}, {brightness, p, q}};
  std::copy(table[sector], table[sector] + 3, rgb);
}

}  // namespace

NSColor::~NSColor() {
  if (mCGColor) CGColorRelease(mCGColor);
}

NSColor* NSColor::make(NSString* space, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  NSColor* color = new NSColor();
  color->mSpace = space;
  color->mRed = red;
  color->mGreen = green;
  color->mBlue = blue;
  color->mAlpha = alpha;
  return static_cast<NSColor*>(color->autorelease());
}

bool NSColor::isWhite() const { return isWhiteSpace(mSpace); }

NSColor* NSColor::colorWithCalibratedRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return make(NSCalibratedRGBColorSpace, red, green, blue, alpha);
}

NSColor* NSColor::colorWithDeviceRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return make(NSDeviceRGBColorSpace, red, green, blue, alpha);
}

NSColor* NSColor::colorWithSRGBRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return make(NSCalibratedRGBColorSpace, red, green, blue, alpha);
}

NSColor* NSColor::colorWithCalibratedWhite_alpha(CGFloat white, CGFloat alpha) {
  return make(NSCalibratedWhiteColorSpace, white, white, white, alpha);
}

NSColor* NSColor::colorWithDeviceWhite_alpha(CGFloat white, CGFloat alpha) {
  return make(NSDeviceWhiteColorSpace, white, white, white, alpha);
}

NSColor* NSColor::colorWithCalibratedHue_saturation_brightness_alpha(CGFloat hue, CGFloat saturation,
                                                                     CGFloat brightness, CGFloat alpha) {
  CGFloat rgb[3];
  rgbOf(hue, saturation, brightness, rgb);
  return make(NSCalibratedRGBColorSpace, rgb[0], rgb[1], rgb[2], alpha);
}

NSColor* NSColor::colorWithDeviceHue_saturation_brightness_alpha(CGFloat hue, CGFloat saturation,
                                                                 CGFloat brightness, CGFloat alpha) {
  CGFloat rgb[3];
  rgbOf(hue, saturation, brightness, rgb);
  return make(NSDeviceRGBColorSpace, rgb[0], rgb[1], rgb[2], alpha);
}

NSColor* NSColor::colorWithPatternImage(NSImage* image) {
  if (!image) return nullptr;
  NSColor* color = make(NSPatternColorSpace, 0, 0, 0, 1);
  color->mPatternImage = RefPtr<NSImage>(image);
  return color;
}

NSColor* NSColor::clearColor() { return colorWithCalibratedWhite_alpha(0, 0); }
NSColor* NSColor::blackColor() { return colorWithCalibratedWhite_alpha(0, 1); }
NSColor* NSColor::darkGrayColor() { return colorWithCalibratedWhite_alpha(1.0 / 3, 1); }
NSColor* NSColor::grayColor() { return colorWithCalibratedWhite_alpha(0.5, 1); }
NSColor* NSColor::lightGrayColor() { return colorWithCalibratedWhite_alpha(2.0 / 3, 1); }
NSColor* NSColor::whiteColor() { return colorWithCalibratedWhite_alpha(1, 1); }
NSColor* NSColor::redColor() { return colorWithCalibratedRed_green_blue_alpha(1, 0, 0, 1); }
NSColor* NSColor::greenColor() { return colorWithCalibratedRed_green_blue_alpha(0, 1, 0, 1); }
NSColor* NSColor::blueColor() { return colorWithCalibratedRed_green_blue_alpha(0, 0, 1, 1); }
NSColor* NSColor::yellowColor() { return colorWithCalibratedRed_green_blue_alpha(1, 1, 0, 1); }
NSColor* NSColor::magentaColor() { return colorWithCalibratedRed_green_blue_alpha(1, 0, 1, 1); }
NSColor* NSColor::cyanColor() { return colorWithCalibratedRed_green_blue_alpha(0, 1, 1, 1); }
NSColor* NSColor::shadowColor() { return blackColor(); }
NSColor* NSColor::windowBackgroundColor() { return colorWithCalibratedWhite_alpha(0.93, 1); }
NSColor* NSColor::controlColor() { return colorWithCalibratedWhite_alpha(0.93, 1); }

NSControlTint NSColor::currentControlTint() { return NSBlueControlTint; }

NSColor* NSColor::colorForControlTint(NSControlTint tint) {
  switch (tint) {
    case NSGraphiteControlTint:
      return colorWithCalibratedRed_green_blue_alpha(0.50, 0.55, 0.62, 1);
    case NSClearControlTint:
      return clearColor();
    default:
      return colorWithCalibratedRed_green_blue_alpha(0.22, 0.46, 0.84, 1);
  }
}

CGFloat NSColor::whiteComponent() const {
  if (isWhite()) return mRed;
  return 0.299 * mRed + 0.587 * mGreen + 0.114 * mBlue;
}

NSColor* NSColor::colorUsingColorSpaceName(NSString* name) const {
  if (isPattern()) return nullptr;
  if (isRGBSpace(name)) return make(name, mRed, mGreen, mBlue, mAlpha);
  if (isWhiteSpace(name)) {
    CGFloat white = whiteComponent();
    return make(name, white, white, white, mAlpha);
  }
  return nullptr;
}

void NSColor::getRed_green_blue_alpha(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const {
  if (red) *red = mRed;
  if (green) *green = mGreen;
  if (blue) *blue = mBlue;
  if (alpha) *alpha = mAlpha;
}

CGFloat NSColor::hueComponent() const { return hsbOf(mRed, mGreen, mBlue).hue; }

CGFloat NSColor::saturationComponent() const { return hsbOf(mRed, mGreen, mBlue).saturation; }

CGFloat NSColor::brightnessComponent() const { return hsbOf(mRed, mGreen, mBlue).brightness; }

void NSColor::getHue_saturation_brightness_alpha(CGFloat* hue, CGFloat* saturation, CGFloat* brightness,
                                                 CGFloat* alpha) const {
  const HSB hsb = hsbOf(mRed, mGreen, mBlue);
  if (hue) *hue = hsb.hue;
  if (saturation) *saturation = hsb.saturation;
  if (brightness) *brightness = hsb.brightness;
  if (alpha) *alpha = mAlpha;
}

NSInteger NSColor::numberOfComponents() const {
  if (isPattern()) return 0;
  return isWhite() ? 2 : 4;
}

void NSColor::getComponents(CGFloat* components) const {
  if (!components || isPattern()) return;
  if (isWhite()) {
    components[0] = mRed;
    components[1] = mAlpha;
    return;
  }
  components[0] = mRed;
  components[1] = mGreen;
  components[2] = mBlue;
  components[3] = mAlpha;
}

NSColor* NSColor::colorWithAlphaComponent(CGFloat alpha) const {
  NSColor* color = make(mSpace, mRed, mGreen, mBlue, alpha);
  color->mPatternImage = mPatternImage;
  return color;
}

CGColorRef NSColor::CGColor() const {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (!mCGColor) mCGColor = CGColorCreateGenericRGB(mRed, mGreen, mBlue, mAlpha);
  return mCGColor;
}

void NSColor::set() const {
  setFill();
  setStroke();
}

// A pattern's components are all zero: it fills and strokes with transparent black.
void NSColor::setFill() const {
  if (NSGraphicsContext* context = NSGraphicsContext::currentContext()) {
    CGContextSetRGBFillColor(context->CGContext(), mRed, mGreen, mBlue, isPattern() ? 0 : mAlpha);
  }
}

void NSColor::setStroke() const {
  if (NSGraphicsContext* context = NSGraphicsContext::currentContext()) {
    CGContextSetRGBStrokeColor(context->CGContext(), mRed, mGreen, mBlue, isPattern() ? 0 : mAlpha);
  }
}

bool NSColor::isEqual(const NSObject* other) const {
  auto* color = NSDynamicCast<NSColor>(other);
  return color && color->mSpace->isEqualToString(mSpace) && color->mPatternImage == mPatternImage &&
         color->mRed == mRed && color->mGreen == mGreen && color->mBlue == mBlue && color->mAlpha == mAlpha;
}

const __CFString* NSColor::copyDescription() const {
  NSString* text = isWhite() ? NSString::stringWithFormat(NSSTR("%@ %g %g"), mSpace, mRed, mAlpha)
                             : NSString::stringWithFormat(NSSTR("%@ %g %g %g %g"), mSpace, mRed, mGreen, mBlue, mAlpha);
  return CFStringCreateCopy(nullptr, text->cfString());
}
