#pragma once
// Colours: red, green, blue and alpha (a grey is kept as its white level) in a named colour
// space. Calibrated, device and generic spaces are the same numbers here; converting between
// the RGB and white spaces uses the luminance of the RGB components. Hue, saturation and
// brightness are the HSV model of the RGB components, each from 0 to 1.
//
// A pattern colour (an image tiled) is in no colour space that holds components: it converts
// to none, answers zero components, and fills and strokes with transparent black.
#include <CoreGraphics/CGColor.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <AppKit/AppKitDefines.h>

APPKIT_EXPORT NSString* const NSCalibratedRGBColorSpace;
APPKIT_EXPORT NSString* const NSDeviceRGBColorSpace;
APPKIT_EXPORT NSString* const NSCalibratedWhiteColorSpace;
APPKIT_EXPORT NSString* const NSDeviceWhiteColorSpace;
APPKIT_EXPORT NSString* const NSPatternColorSpace;

class NSImage;

typedef NSUInteger NSControlTint;
enum : NSUInteger {
  NSDefaultControlTint = 0,
  NSBlueControlTint = 1,
  NSGraphiteControlTint = 6,
  NSClearControlTint = 7,
};

class APPKIT_CLASS NSColor : public NSObject {
  OBJC_CLASS_DECL(NSColor, NSObject)

 public:
  // All autoreleased.
  static NSColor* colorWithCalibratedRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* colorWithDeviceRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* colorWithSRGBRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* colorWithCalibratedWhite_alpha(CGFloat white, CGFloat alpha);
  static NSColor* colorWithDeviceWhite_alpha(CGFloat white, CGFloat alpha);
  static NSColor* colorWithCalibratedHue_saturation_brightness_alpha(CGFloat hue, CGFloat saturation,
                                                                     CGFloat brightness, CGFloat alpha);
  static NSColor* colorWithDeviceHue_saturation_brightness_alpha(CGFloat hue, CGFloat saturation,
                                                                 CGFloat brightness, CGFloat alpha);
  static NSColor* colorWithPatternImage(NSImage* image);

  static NSColor* clearColor();
  static NSColor* blackColor();
  static NSColor* darkGrayColor();
  static NSColor* grayColor();
  static NSColor* lightGrayColor();
  static NSColor* whiteColor();
  static NSColor* redColor();
  static NSColor* greenColor();
  static NSColor* blueColor();
  static NSColor* yellowColor();
  static NSColor* magentaColor();
  static NSColor* cyanColor();
  static NSColor* shadowColor();
  static NSColor* windowBackgroundColor();
  static NSColor* controlColor();

  // The control tint of the desktop (blue here) and the colour that draws it.
  static NSControlTint currentControlTint();
  static NSColor* colorForControlTint(NSControlTint tint);

  NSString* colorSpaceName() const { return mSpace; }
  // The colour in the named space (autoreleased); null for a space it cannot be put in.
  NSColor* colorUsingColorSpaceName(NSString* name) const;

  CGFloat redComponent() const { return mRed; }
  CGFloat greenComponent() const { return mGreen; }
  CGFloat blueComponent() const { return mBlue; }
  CGFloat whiteComponent() const;
  CGFloat alphaComponent() const { return mAlpha; }
  void getRed_green_blue_alpha(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;
  CGFloat hueComponent() const;
  CGFloat saturationComponent() const;
  CGFloat brightnessComponent() const;
  void getHue_saturation_brightness_alpha(CGFloat* hue, CGFloat* saturation, CGFloat* brightness,
                                          CGFloat* alpha) const;
  // White and alpha, or red, green, blue and alpha; none for a pattern.
  NSInteger numberOfComponents() const;
  void getComponents(CGFloat* components) const;
  NSImage* patternImage() const { return mPatternImage.get(); }
  NSColor* colorWithAlphaComponent(CGFloat alpha) const;
  // The colour as a CGColor, kept by the colour (borrowed).
  CGColorRef CGColor() const;

  // Make the colour the current context's fill and stroke colour, or one of them.
  void set() const;
  void setFill() const;
  void setStroke() const;

  bool isEqual(const NSObject* other) const override;
  const __CFString* copyDescription() const override;

 protected:
  NSColor() = default;
  ~NSColor() override;

 private:
  static NSColor* make(NSString* space, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  bool isWhite() const;
  bool isPattern() const { return mPatternImage.get() != nullptr; }

  NSString* mSpace = nullptr;
  CGFloat mRed = 0, mGreen = 0, mBlue = 0, mAlpha = 1;
  RefPtr<NSImage> mPatternImage;
  mutable CGColorRef mCGColor = nullptr;
};
