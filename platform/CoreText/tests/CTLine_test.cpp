#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>

#include <vector>

namespace {

// A line of text in one font, its colour taken from the context or given.
RefPtr<const __CTLine> lineOf(CFStringRef text, CGFloat size, CGColorRef colour = nullptr) {
  RefPtr<const __CTFont> font = adopt(CTFontCreateWithName(CFSTR("Gill Sans"), size, nullptr));
  const void* keys[] = {kCTFontAttributeName, colour ? kCTForegroundColorAttributeName
                                                     : kCTForegroundColorFromContextAttributeName};
  const void* values[] = {font.get(), colour ? static_cast<const void*>(colour) : kCFBooleanTrue};
  RefPtr<const __CFDictionary> attributes = adopt(CFDictionaryCreate(
      nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  RefPtr<const __CFAttributedString> string =
      adopt(CFAttributedStringCreate(nullptr, text, attributes.get()));
  return adopt(CTLineCreateWithAttributedString(string.get()));
}

// A 400 x 200 bitmap of A,R,G,B pixels, premultiplied, cleared to transparent.
struct Canvas {
  Canvas() : pixels(400 * 200 * 4, 0) {
    RefPtr<CGColorSpace> space = adopt(CGColorSpaceCreateDeviceRGB());
    context = adopt(CGBitmapContextCreate(pixels.data(), 400, 200, 8, 1600, space.get(),
                                          kCGImageAlphaPremultipliedFirst));
  }
  // A,R,G,B of the pixel at (x, y), y up.
  const uint8_t* at(int x, int y) const { return &pixels[size_t(199 - y) * 1600 + size_t(x) * 4]; }
  // The y-up box of every pixel with alpha; empty when none.
  CGRect painted() const {
    int minX = 400, minY = 200, maxX = -1, maxY = -1;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 400; ++x)
        if (at(x, y)[0])
          minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y),
          maxY = std::max(maxY, y);
    return maxX < 0 ? CGRectNull : CGRectMake(minX, minY, maxX - minX + 1, maxY - minY + 1);
  }
  std::vector<uint8_t> pixels;
  RefPtr<CGContext> context;
};

TEST(CTLine, DrawsItsInkWhereItsBoundsSayInTheContextsFillColour) {
  Canvas canvas;
  RefPtr<const __CTLine> line = lineOf(CFSTR("Moxicam.VDIG"), 36);
  ASSERT_TRUE(line);
  CGContextSetRGBFillColor(canvas.context.get(), 1, 0, 0, 1);
  CGContextSetTextPosition(canvas.context.get(), 20, 50);
  const CGRect bounds = CTLineGetImageBounds(line.get(), canvas.context.get());
  ASSERT_FALSE(CGRectIsNull(bounds));
  // The ink of capitals stands on the baseline, at the text position.
  EXPECT_NEAR(bounds.origin.y, 50, 3);
  EXPECT_GT(bounds.size.height, 20);
  EXPECT_LT(bounds.size.height, 45);
  CTLineDraw(line.get(), canvas.context.get());
  const CGRect painted = canvas.painted();
  ASSERT_FALSE(CGRectIsNull(painted));
  EXPECT_NEAR(painted.origin.x, bounds.origin.x, 1);
  EXPECT_NEAR(painted.origin.y, bounds.origin.y, 1);
  EXPECT_NEAR(painted.size.width, bounds.size.width, 1);
  EXPECT_NEAR(painted.size.height, bounds.size.height, 1);
  size_t solid = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 400; ++x)
      if (canvas.at(x, y)[0] == 255) {
        ++solid;
        EXPECT_EQ(canvas.at(x, y)[1], 255);
        EXPECT_EQ(canvas.at(x, y)[2], 0);
        EXPECT_EQ(canvas.at(x, y)[3], 0);
      }
  EXPECT_GT(solid, 100u);
}

TEST(CTLine, BoundsFollowTheFontSizeAndTheTextMatrix) {
  RefPtr<const __CTLine> small = lineOf(CFSTR("Moxicam"), 20), large = lineOf(CFSTR("Moxicam"), 60);
  const CGRect a = CTLineGetImageBounds(small.get(), nullptr), b = CTLineGetImageBounds(large.get(), nullptr);
  EXPECT_NEAR(b.size.width / a.size.width, 3, 0.4);
  EXPECT_NEAR(b.size.height / a.size.height, 3, 0.4);
  Canvas canvas;
  CGContextSetTextMatrix(canvas.context.get(), CGAffineTransformMakeTranslation(100, 7));
  const CGRect moved = CTLineGetImageBounds(small.get(), canvas.context.get());
  EXPECT_DOUBLE_EQ(moved.origin.x, a.origin.x + 100);
  EXPECT_DOUBLE_EQ(moved.origin.y, a.origin.y + 7);
  EXPECT_EQ(CGContextGetTextPosition(canvas.context.get()).x, 100);
}

TEST(CTLine, GivenColourAndDrawingModes) {
  RefPtr<CGColorSpace> space = adopt(CGColorSpaceCreateDeviceRGB());
  const CGFloat blue[4] = {0, 0, 1, 1};
  RefPtr<CGColor> colour = adopt(CGColorCreate(space.get(), blue));
  {
    Canvas canvas;
    CGContextSetRGBFillColor(canvas.context.get(), 1, 0, 0, 1);
    CGContextSetTextPosition(canvas.context.get(), 20, 50);
    CTLineDraw(lineOf(CFSTR("Moxicam"), 36, colour.get()).get(), canvas.context.get());
    bool sawBlue = false;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 400; ++x)
        if (canvas.at(x, y)[0] == 255) {
          sawBlue = true;
          EXPECT_EQ(canvas.at(x, y)[1], 0);
          EXPECT_EQ(canvas.at(x, y)[3], 255);
        }
    EXPECT_TRUE(sawBlue);
  }
  for (CGTextDrawingMode mode : {kCGTextInvisible, kCGTextStroke, kCGTextClip}) {
    Canvas canvas;
    CGContextSetTextDrawingMode(canvas.context.get(), mode);
    CGContextSetTextPosition(canvas.context.get(), 20, 50);
    CTLineDraw(lineOf(CFSTR("Moxicam"), 36).get(), canvas.context.get());
    EXPECT_TRUE(CGRectIsNull(canvas.painted())) << mode;
  }
  // The mode belongs to the graphics state.
  Canvas canvas;
  CGContextSaveGState(canvas.context.get());
  CGContextSetTextDrawingMode(canvas.context.get(), kCGTextInvisible);
  CGContextRestoreGState(canvas.context.get());
  EXPECT_EQ(CGContextGetTextDrawingMode(canvas.context.get()), kCGTextFill);
}

TEST(CTLine, EmptyAndNullLines) {
  RefPtr<const __CTLine> empty = lineOf(CFSTR(""), 36);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(CGRectIsNull(CTLineGetImageBounds(empty.get(), nullptr)));
  Canvas canvas;
  CTLineDraw(empty.get(), canvas.context.get());
  EXPECT_TRUE(CGRectIsNull(canvas.painted()));
  EXPECT_EQ(CTLineCreateWithAttributedString(nullptr), nullptr);
  EXPECT_EQ(CTFontCreateWithName(nullptr, 12, nullptr), nullptr);
  RefPtr<const __CTFont> font = adopt(CTFontCreateWithName(CFSTR("Lucida Grande"), 0, nullptr));
  EXPECT_EQ(CTFontGetSize(font.get()), 12);
}

}  // namespace
