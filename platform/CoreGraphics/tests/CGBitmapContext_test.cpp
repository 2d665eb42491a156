// Bitmap contexts: byte layouts, y-up coordinates, state, paths, images, masks, shadings.
#include <CoreGraphics/CoreGraphics.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Bitmap {
  Bitmap(size_t w, size_t h, size_t bytesPerPixel, uint32_t info, bool gray = false)
      : width(w), height(h), rowBytes(w * bytesPerPixel + 8), pixels(rowBytes * h, 0x11) {
    CGColorSpaceRef space = gray ? CGColorSpaceCreateDeviceGray() : CGColorSpaceCreateDeviceRGB();
    context = CGBitmapContextCreate(pixels.data(), w, h, 8, rowBytes, space, info);
    CGColorSpaceRelease(space);
  }
  ~Bitmap() { CGContextRelease(context); }
  // Bytes of the pixel at (x, y) counted from the top-left, as stored.
  const uint8_t* at(size_t x, size_t y) const {
    return pixels.data() + y * rowBytes + x * (CGBitmapContextGetBitsPerPixel(context) / 8);
  }
  size_t width, height, rowBytes;
  std::vector<uint8_t> pixels;
  CGContextRef context;
};

Bitmap* makeARGB(size_t w, size_t h) { return new Bitmap(w, h, 4, kCGImageAlphaPremultipliedFirst); }

struct LayoutCase {
  const char* name;
  uint32_t info;
  size_t bytesPerPixel;
  bool gray;
  std::vector<uint8_t> expected;  // the pixel after filling with red 0.8, green 0.4, blue 0.2
};

TEST(CGBitmapContext, KeepsEachByteLayoutInMemory) {
  const LayoutCase cases[] = {
      {"A,R,G,B", kCGImageAlphaPremultipliedFirst, 4, false, {255, 204, 102, 51}},
      {"x,R,G,B", kCGImageAlphaNoneSkipFirst, 4, false, {255, 204, 102, 51}},
      {"R,G,B,x", kCGImageAlphaNoneSkipLast, 4, false, {204, 102, 51, 255}},
      {"R,G,B,A", kCGImageAlphaPremultipliedLast, 4, false, {204, 102, 51, 255}},
      {"B,G,R,A", kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, 4, false, {51, 102, 204, 255}},
      {"B,G,R,x", kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little, 4, false, {51, 102, 204, 255}},
      {"gray", kCGImageAlphaNone, 1, true, {128}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap bitmap(6, 4, c.bytesPerPixel, c.info, c.gray);
    ASSERT_NE(bitmap.context, nullptr);
    if (c.gray)
      CGContextSetGrayFillColor(bitmap.context, 128 / 255.0, 1);
    else
      CGContextSetRGBFillColor(bitmap.context, 0.8, 0.4, 0.2, 1);
    CGContextFillRect(bitmap.context, CGRectMake(0, 0, 6, 4));
    for (size_t k = 0; k < c.bytesPerPixel; ++k) EXPECT_EQ(bitmap.at(5, 3)[k], c.expected[k]) << "byte " << k;
    // Padding at the end of each row is never touched.
    EXPECT_EQ(bitmap.pixels[bitmap.rowBytes - 1], 0x11);
  }
}

TEST(CGBitmapContext, PremultipliesTranslucentPaint) {
  std::unique_ptr<Bitmap> bitmap(makeARGB(2, 2));
  CGContextClearRect(bitmap->context, CGRectMake(0, 0, 2, 2));
  CGContextSetRGBFillColor(bitmap->context, 1, 0, 0, 0.5);
  CGContextFillRect(bitmap->context, CGRectMake(0, 0, 2, 2));
  const uint8_t* p = bitmap->at(0, 0);
  EXPECT_NEAR(p[0], 128, 1);
  EXPECT_NEAR(p[1], 128, 1);
  EXPECT_EQ(p[2], 0);
  EXPECT_EQ(p[3], 0);
}

// Premultiplied layouts reach the drawing library by different roads (drawn in place, byte
// swapped, or pixel by pixel): translucent paint over paint, and images of each drawn into
// another layout, come out the same in every order.
TEST(CGBitmapContext, TranslucentPaintIsTheSameInEveryPremultipliedOrder) {
  struct Order {
    const char* name;
    uint32_t info;
    int red, green, blue, alpha;  // byte offsets
  };
  const Order orders[] = {
      {"R,G,B,A", kCGImageAlphaPremultipliedLast, 0, 1, 2, 3},
      {"A,R,G,B", kCGImageAlphaPremultipliedFirst, 1, 2, 3, 0},
      {"B,G,R,A", kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, 2, 1, 0, 3},
      {"A,B,G,R", kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little, 3, 2, 1, 0},
  };
  auto rgba = [](const uint8_t* pixel, const Order& order) {
    return std::vector<int>{pixel[order.red], pixel[order.green], pixel[order.blue], pixel[order.alpha]};
  };
  std::vector<std::vector<int>> painted, redrawn;
  for (const Order& order : orders) {
    SCOPED_TRACE(order.name);
    Bitmap bitmap(5, 3, 4, order.info);
    ASSERT_NE(bitmap.context, nullptr);
    CGContextClearRect(bitmap.context, CGRectMake(0, 0, 5, 3));
    CGContextSetRGBFillColor(bitmap.context, 0.2, 0.6, 0.9, 0.5);
    CGContextFillRect(bitmap.context, CGRectMake(0, 0, 4, 3));
    CGContextSetRGBFillColor(bitmap.context, 0.8, 0.1, 0.3, 0.3);
    CGContextFillRect(bitmap.context, CGRectMake(2, 0, 3, 3));
    for (size_t x = 0; x < 5; ++x) painted.push_back(rgba(bitmap.at(x, 1), order));

    CGImageRef image = CGBitmapContextCreateImage(bitmap.context);
    Bitmap target(5, 3, 4, kCGImageAlphaPremultipliedLast);
    CGContextClearRect(target.context, CGRectMake(0, 0, 5, 3));
    CGContextDrawImage(target.context, CGRectMake(0, 0, 5, 3), image);
    CGImageRelease(image);
    for (size_t x = 0; x < 5; ++x) redrawn.push_back(rgba(target.at(x, 1), orders[0]));
  }
  for (size_t i = 5; i < painted.size(); ++i) {
    EXPECT_EQ(painted[i], painted[i % 5]) << orders[i / 5].name << " pixel " << i % 5;
    EXPECT_EQ(redrawn[i], redrawn[i % 5]) << orders[i / 5].name << " pixel " << i % 5;
  }
  EXPECT_NE(painted[0], painted[4]);
}

TEST(CGBitmapContext, RefusesLayoutsItCannotDraw) {
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  EXPECT_EQ(CGBitmapContextCreate(nullptr, 4, 4, 8, 0, rgb, kCGImageAlphaFirst), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(nullptr, 4, 4, 16, 0, rgb, kCGImageAlphaPremultipliedFirst), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(nullptr, 4, 4, 8, 8, rgb, kCGImageAlphaPremultipliedFirst), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(nullptr, 0, 4, 8, 0, rgb, kCGImageAlphaPremultipliedFirst), nullptr);
  CGContextRef made = CGBitmapContextCreate(nullptr, 4, 4, 8, 0, rgb, kCGImageAlphaPremultipliedFirst);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(CGBitmapContextGetBytesPerRow(made), 16u);
  EXPECT_EQ(static_cast<uint8_t*>(CGBitmapContextGetData(made))[0], 0) << "own memory starts cleared";
  CGContextRelease(made);
  CGColorSpaceRelease(rgb);
}

TEST(CGBitmapContext, UserSpaceIsYUpAndFollowsTheCTM) {
  std::unique_ptr<Bitmap> bitmap(makeARGB(20, 10));
  CGContextRef c = bitmap->context;
  CGContextSetRGBFillColor(c, 0, 0, 0, 1);
  CGContextFillRect(c, CGRectMake(0, 0, 20, 10));
  CGContextSetRGBFillColor(c, 1, 1, 1, 1);
  // The bottom-left 5 × 2 corner: the last two stored rows.
  CGContextFillRect(c, CGRectMake(0, 0, 5, 2));
  EXPECT_EQ(bitmap->at(0, 9)[1], 255);
  EXPECT_EQ(bitmap->at(0, 7)[1], 0);
  EXPECT_EQ(bitmap->at(0, 0)[1], 0);

  CGContextSaveGState(c);
  CGContextTranslateCTM(c, 10, 5);
  CGContextScaleCTM(c, 2, 2);
  CGContextFillRect(c, CGRectMake(0, 0, 2, 1));  // device (10..14, 5..7)
  CGContextRestoreGState(c);
  EXPECT_TRUE(CGAffineTransformIsIdentity(CGContextGetCTM(c)));
  EXPECT_EQ(bitmap->at(12, 3)[1], 255);  // row 3 from the top is y 6
  EXPECT_EQ(bitmap->at(15, 3)[1], 0);
  EXPECT_EQ(bitmap->at(12, 5)[1], 0);
}

TEST(CGBitmapContext, FillsAndStrokesPathsEllipsesAndArcs) {
  std::unique_ptr<Bitmap> bitmap(makeARGB(40, 40));
  CGContextRef c = bitmap->context;
  CGContextClearRect(c, CGRectMake(0, 0, 40, 40));
  CGContextSetRGBFillColor(c, 1, 0, 0, 1);
  CGContextFillEllipseInRect(c, CGRectMake(0, 0, 40, 40));
  EXPECT_EQ(bitmap->at(20, 20)[1], 255);
  EXPECT_EQ(bitmap->at(1, 1)[0], 0) << "corners stay outside the circle";
  EXPECT_EQ(bitmap->at(38, 38)[0], 0);

  CGContextClearRect(c, CGRectMake(0, 0, 40, 40));
  CGContextSetRGBStrokeColor(c, 0, 0, 1, 1);
  CGContextSetLineWidth(c, 4);
  CGContextStrokeRect(c, CGRectMake(10, 10, 20, 20));
  EXPECT_EQ(bitmap->at(10, 20)[3], 255) << "on the left edge";
  EXPECT_EQ(bitmap->at(20, 20)[0], 0) << "inside stays clear";

  // A half disc: the arc from 0 to pi counter-clockwise is the upper half (y-up).
  CGContextClearRect(c, CGRectMake(0, 0, 40, 40));
  CGContextBeginPath(c);
  CGContextAddArc(c, 20, 20, 15, 0, M_PI, 0);
  CGContextClosePath(c);
  CGContextFillPath(c);
  EXPECT_EQ(bitmap->at(20, 10)[0], 255) << "above the centre";
  EXPECT_EQ(bitmap->at(20, 30)[0], 0) << "below the centre";
}

TEST(CGPath, ArcToPointIsTangentToBothLines) {
  CGMutablePathRef path = CGPathCreateMutable();
  CGPathMoveToPoint(path, nullptr, 0, 0);
  CGPathAddArcToPoint(path, nullptr, 10, 0, 10, 10, 4);
  // The arc starts on the first line 4 before the corner and ends 4 up the second one.
  struct Collected {
    std::vector<CGPathElementType> types;
    std::vector<CGPoint> ends;
  } collected;
  CGPathApply(path, &collected, [](void* info, const CGPathElement* e) {
    auto* out = static_cast<Collected*>(info);
    out->types.push_back(e->type);
    int last = e->type == kCGPathElementAddCurveToPoint ? 2 : 0;
    out->ends.push_back(e->points[last]);
  });
  ASSERT_GE(collected.types.size(), 3u);
  EXPECT_EQ(collected.types[1], kCGPathElementAddLineToPoint);
  EXPECT_NEAR(collected.ends[1].x, 6, 1e-9);
  EXPECT_NEAR(collected.ends[1].y, 0, 1e-9);
  EXPECT_NEAR(collected.ends.back().x, 10, 1e-9);
  EXPECT_NEAR(collected.ends.back().y, 4, 1e-9);

  // Collinear points: a straight line to the corner.
  CGMutablePathRef straight = CGPathCreateMutable();
  CGPathMoveToPoint(straight, nullptr, 0, 0);
  CGPathAddArcToPoint(straight, nullptr, 5, 0, 10, 0, 3);
  EXPECT_TRUE(CGPointEqualToPoint(CGPathGetCurrentPoint(straight), CGPointMake(5, 0)));
  CGPathRelease(straight);
  CGPathRelease(path);
}

TEST(CGBitmapContext, DrawsImagesTopRowUpAndMasksAsStencils) {
  // A 2 × 2 image: top row red, bottom row blue (stored A,R,G,B).
  uint8_t pixels[16] = {255, 255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255};
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, pixels, sizeof pixels, nullptr);
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGImageRef image = CGImageCreate(2, 2, 8, 32, 8, rgb, kCGImageAlphaPremultipliedFirst, provider, nullptr, false,
                                   kCGRenderingIntentDefault);
  std::unique_ptr<Bitmap> bitmap(makeARGB(10, 10));
  CGContextRef c = bitmap->context;
  CGContextDrawImage(c, CGRectMake(0, 0, 10, 10), image);
  EXPECT_EQ(bitmap->at(5, 1)[1], 255) << "top is red";
  EXPECT_EQ(bitmap->at(5, 8)[3], 255) << "bottom is blue";

  // Mask samples 0 let the fill colour through, 255 hold it back.
  uint8_t samples[2] = {0, 255};
  CGDataProviderRef maskProvider = CGDataProviderCreateWithData(nullptr, samples, 2, nullptr);
  CGImageRef mask = CGImageMaskCreate(2, 1, 8, 8, 2, maskProvider, nullptr, false);
  CGContextSetRGBFillColor(c, 0, 1, 0, 1);
  CGContextDrawImage(c, CGRectMake(0, 0, 10, 10), mask);
  EXPECT_EQ(bitmap->at(2, 5)[2], 255) << "left half painted green";
  EXPECT_EQ(bitmap->at(7, 5)[2], 0) << "right half untouched";

  CGImageRelease(mask);
  CGDataProviderRelease(maskProvider);
  CGImageRelease(image);
  CGColorSpaceRelease(rgb);
  CGDataProviderRelease(provider);
}

TEST(CGBitmapContext, ClipToMaskTakesEachKindOfMaskInItsOwnSense) {
  uint8_t samples[2] = {0, 255};
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, samples, 2, nullptr);
  CGImageRef stencil = CGImageMaskCreate(2, 1, 8, 8, 2, provider, nullptr, false);
  CGColorSpaceRef gray = CGColorSpaceCreateDeviceGray();
  CGImageRef grayImage =
      CGImageCreate(2, 1, 8, 8, 2, gray, kCGImageAlphaNone, provider, nullptr, false, kCGRenderingIntentDefault);
  struct Case {
    const char* name;
    CGImageRef mask;
    bool leftPainted;
  } cases[] = {{"image mask: 0 passes", stencil, true}, {"gray image: white passes", grayImage, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    std::unique_ptr<Bitmap> bitmap(makeARGB(10, 10));
    CGContextRef c = bitmap->context;
    CGContextClearRect(c, CGRectMake(0, 0, 10, 10));
    CGContextSaveGState(c);
    CGContextClipToMask(c, CGRectMake(0, 0, 10, 8), k.mask);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 10, 10));
    CGContextRestoreGState(c);
    EXPECT_EQ(bitmap->at(2, 5)[0], k.leftPainted ? 255 : 0);
    EXPECT_EQ(bitmap->at(7, 5)[0], k.leftPainted ? 0 : 255);
    EXPECT_EQ(bitmap->at(2, 0)[0], 0) << "above the mask's rect nothing passes";
    // After the restore the clip is gone.
    CGContextFillRect(c, CGRectMake(0, 0, 10, 10));
    EXPECT_EQ(bitmap->at(2, 0)[0], 255);
  }
  CGImageRelease(grayImage);
  CGImageRelease(stencil);
  CGColorSpaceRelease(gray);
  CGDataProviderRelease(provider);
}

TEST(CGBitmapContext, DrawsAxialShadingsFromTheirFunction) {
  std::unique_ptr<Bitmap> bitmap(makeARGB(4, 100));
  CGContextRef c = bitmap->context;
  CGFunctionCallbacks callbacks = {0, [](void*, const CGFloat* in, CGFloat* out) {
                                     out[0] = out[1] = out[2] = in[0];
                                     out[3] = 1;
                                   },
                                   nullptr};
  const CGFloat domain[] = {0, 1};
  CGFunctionRef function = CGFunctionCreate(nullptr, 1, domain, 4, nullptr, &callbacks);
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGShadingRef shading = CGShadingCreateAxial(rgb, CGPointMake(0, 0), CGPointMake(0, 100), function, true, true);
  CGContextDrawShading(c, shading);
  EXPECT_NEAR(bitmap->at(1, 99)[1], 0, 4) << "black at the bottom (t = 0)";
  EXPECT_NEAR(bitmap->at(1, 50)[1], 128, 4);
  EXPECT_NEAR(bitmap->at(1, 0)[1], 255, 4) << "white at the top";
  CGShadingRelease(shading);
  CGColorSpaceRelease(rgb);
  CGFunctionRelease(function);
}

TEST(CGBitmapContext, ImagesOfTheContextAreCopies) {
  std::unique_ptr<Bitmap> bitmap(makeARGB(3, 3));
  CGContextSetRGBFillColor(bitmap->context, 0, 1, 0, 1);
  CGContextFillRect(bitmap->context, CGRectMake(0, 0, 3, 3));
  CGImageRef image = CGBitmapContextCreateImage(bitmap->context);
  std::memset(bitmap->pixels.data(), 0, bitmap->pixels.size());
  CFDataRef data = CGDataProviderCopyData(CGImageGetDataProvider(image));
  EXPECT_EQ(CFDataGetBytePtr(data)[2], 255);
  EXPECT_EQ(CGImageGetBytesPerRow(image), bitmap->rowBytes);
  EXPECT_EQ(CGImageGetAlphaInfo(image), kCGImageAlphaPremultipliedFirst);
  CFRelease(data);
  CGImageRelease(image);
}

TEST(CGAffineTransform, ConcatAppliesTheFirstThenTheSecond) {
  CGAffineTransform t =
      CGAffineTransformConcat(CGAffineTransformMakeTranslation(1, 0), CGAffineTransformMakeScale(2, 3));
  CGPoint p = CGPointApplyAffineTransform(CGPointMake(1, 1), t);
  EXPECT_DOUBLE_EQ(p.x, 4);
  EXPECT_DOUBLE_EQ(p.y, 3);
  CGPoint back = CGPointApplyAffineTransform(p, CGAffineTransformInvert(t));
  EXPECT_NEAR(back.x, 1, 1e-12);
  EXPECT_NEAR(back.y, 1, 1e-12);
}

}  // namespace
