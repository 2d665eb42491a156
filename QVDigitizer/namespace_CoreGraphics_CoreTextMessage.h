#pragma once
// A one-line text message drawn centred in a rectangle of a context, in a font and colours of
// its own.
#include <CoreFoundation/CFAttributedString.h>
#include <CoreGraphics/CoreGraphics.h>
#include <objc/RefPtr.h>

namespace CoreGraphics {

class CoreTextMessage {
 public:
  CoreTextMessage();
  virtual ~CoreTextMessage() = default;

  // Takes the font's family name (retained).
  void SetFontName(CFStringRef fontName);
  // A new attributed string (+1): the text with the message's font over all of it, its colour
  // taken from the context.
  CFAttributedStringRef TextByAddingStyleAttributes(CFAttributedStringRef text) const;
  // Draws the UTF-8 text with its ink box centred in the rectangle (y-up user space).
  void DrawTextInContextCenteredInRect(CGContextRef context, CGRect rect, const char* text) const;

 protected:
  RefPtr<const __CFString> mFontName;
  double mFontSize = 72.0;
  CGFloat mStrokeColor[4] = {0, 0, 0, 1};
  CGFloat mFillColor[4] = {0.5, 0.5, 1.0, 0.5};
  CGFloat mBackgroundColor[4] = {1, 1, 1, 1};
  CGTextDrawingMode mTextDrawingMode = kCGTextFill;
};

}  // namespace CoreGraphics
