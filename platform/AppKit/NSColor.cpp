#include <AppKit/NSColor.h>

#include <mutex>

#include <AppKit/NSGraphicsContext.h>
#include <Foundation/NSBridging.h>

NSString* const NSCalibratedRGBColorSpace = NSSTR("NSCalibratedRGBColorSpace");
NSString* const NSDeviceRGBColorSpace = NSSTR("NSDeviceRGBColorSpace");
NSString* const NSCalibratedWhiteColorSpace = NSSTR("NSCalibratedWhiteColorSpace");
NSString* const NSDeviceWhiteColorSpace = NSSTR("NSDeviceWhiteColorSpace");

OBJC_CLASS_DEFINE(NSColor)

namespace {

bool isWhiteSpace(NSString* space) {
  return space && (space->isEqualToString(NSCalibratedWhiteColorSpace) || space->isEqualToString(NSDeviceWhiteColorSpace));
}

bool isRGBSpace(NSString* space) {
  return space && (space->isEqualToString(NSCalibratedRGBColorSpace) || space->isEqualToString(NSDeviceRGBColorSpace));
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

NSColor* NSColor::colorWithAlphaComponent(CGFloat alpha) const { return make(mSpace, mRed, mGreen, mBlue, alpha); }

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

void NSColor::setFill() const {
  if (NSGraphicsContext* context = NSGraphicsContext::currentContext()) {
    CGContextSetRGBFillColor(context->CGContext(), mRed, mGreen, mBlue, mAlpha);
  }
}

void NSColor::setStroke() const {
  if (NSGraphicsContext* context = NSGraphicsContext::currentContext()) {
    CGContextSetRGBStrokeColor(context->CGContext(), mRed, mGreen, mBlue, mAlpha);
  }
}

bool NSColor::isEqual(const NSObject* other) const {
  auto* color = NSDynamicCast<NSColor>(other);
  return color && color->mSpace->isEqualToString(mSpace) && color->mRed == mRed && color->mGreen == mGreen &&
         color->mBlue == mBlue && color->mAlpha == mAlpha;
}

const __CFString* NSColor::copyDescription() const {
  NSString* text = isWhite() ? NSString::stringWithFormat(NSSTR("%@ %g %g"), mSpace, mRed, mAlpha)
                             : NSString::stringWithFormat(NSSTR("%@ %g %g %g %g"), mSpace, mRed, mGreen, mBlue, mAlpha);
  return CFStringCreateCopy(nullptr, text->cfString());
}
