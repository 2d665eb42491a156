#include "namespace_CoreGraphics_CoreTextMessage.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreText/CoreText.h>

namespace CoreGraphics {

CoreTextMessage::CoreTextMessage() : mFontName(RefPtr<const __CFString>(CFSTR("Lucida Grande"))) {}

void CoreTextMessage::SetFontName(CFStringRef fontName) { mFontName = RefPtr<const __CFString>(fontName); }

CFAttributedStringRef CoreTextMessage::TextByAddingStyleAttributes(CFAttributedStringRef text) const {
  if (!text) return nullptr;
  CFMutableAttributedStringRef styled = CFAttributedStringCreateMutableCopy(nullptr, 0, text);
  if (!styled) return nullptr;
  const CFRange all = CFRangeMake(0, CFAttributedStringGetLength(styled));
  RefPtr<const __CTFont> font = adopt(CTFontCreateWithName(mFontName.get(), mFontSize, nullptr));
  if (font) CFAttributedStringSetAttribute(styled, all, kCTFontAttributeName, font.get());
  CFAttributedStringSetAttribute(styled, all, kCTForegroundColorFromContextAttributeName, kCFBooleanTrue);
  return styled;
}

void CoreTextMessage::DrawTextInContextCenteredInRect(CGContextRef context, CGRect rect,
                                                      const char* text) const {
  if (!context || !text) return;
  RefPtr<const __CFString> string = adopt(CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8));
  if (!string) return;
  CGContextSaveGState(context);
  CGContextSetRGBFillColor(context, mFillColor[0], mFillColor[1], mFillColor[2], mFillColor[3]);
  CGContextSetRGBStrokeColor(context, mStrokeColor[0], mStrokeColor[1], mStrokeColor[2], mStrokeColor[3]);
  CGContextSetTextMatrix(context, CGAffineTransformIdentity);
  RefPtr<const __CFAttributedString> plain = adopt(CFAttributedStringCreate(nullptr, string.get(), nullptr));
  RefPtr<const __CFAttributedString> styled = adopt(TextByAddingStyleAttributes(plain.get()));
  RefPtr<const __CTLine> line = adopt(CTLineCreateWithAttributedString(styled.get()));
  if (line) {
    const CGRect bounds = CTLineGetImageBounds(line.get(), context);
    const CGFloat x = rect.origin.x + (rect.size.width - bounds.size.width) / 2;
    const CGFloat y = rect.origin.y + (rect.size.height - bounds.size.height) / 2;
    CGContextSetTextDrawingMode(context, mTextDrawingMode);
    CGContextSetTextPosition(context, x, y);
    CTLineDraw(line.get(), context);
  }
  CGContextRestoreGState(context);
}

}  // namespace CoreGraphics
