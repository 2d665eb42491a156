#pragma once
// Fonts: a family and a size, laid out by Pango with the DejaVu faces (the system font is
// DejaVu Sans, the fixed-pitch one DejaVu Sans Mono). Metrics come from Pango.
#include <string>

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <AppKit/NSGeometry.h>

class APPKIT_CLASS NSFont : public NSObject {
  OBJC_CLASS_DECL(NSFont, NSObject)

 public:
  // Autoreleased; a size of 0 or less is the system font size.
  static NSFont* fontWithName_size(NSString* name, CGFloat size);
  static NSFont* systemFontOfSize(CGFloat size);
  static NSFont* boldSystemFontOfSize(CGFloat size);
  static NSFont* userFixedPitchFontOfSize(CGFloat size);
  static NSFont* userFontOfSize(CGFloat size);
  static CGFloat systemFontSize() { return 13.0; }
  static CGFloat smallSystemFontSize() { return 11.0; }

  NSString* fontName() const { return mName.get(); }
  NSString* familyName() const { return mFamily.get(); }
  CGFloat pointSize() const { return mSize; }
  bool isBold() const { return mBold; }
  bool isFixedPitch() const;
  CGFloat ascender() const;
  CGFloat descender() const;
  // The distance from one baseline to the next.
  CGFloat defaultLineHeight() const;
  // A Pango font description text for the font ("DejaVu Sans Bold 12").
  APPKIT_PRIVATE std::string pangoDescription() const;

  bool isEqual(const NSObject* other) const override;

 protected:
  NSFont() = default;

 private:
  static NSFont* make(NSString* name, NSString* family, CGFloat size, bool bold);
  void readMetrics() const;

  RefPtr<NSString> mName;
  RefPtr<NSString> mFamily;
  CGFloat mSize = 0;
  bool mBold = false;
  mutable bool mHaveMetrics = false;
  mutable CGFloat mAscender = 0, mDescender = 0, mLineHeight = 0;
};
