// Rounded rectangles, PDF pages, gray shading through masks, resource lookups.
#include <cairo-pdf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <CaptureOutput.h>
#include <TemporaryRoot.h>

#include "namespace_CoreGraphics_BitmapContext.h"
#include "namespace_CoreGraphics_Drawing.h"
#include "namespace_CoreGraphics_ImageData.h"
#include "namespace_CoreGraphics_MaskContext.h"
#include "namespace_CoreGraphics_RoundRectPath.h"

const char* g_CoreMachDebug_LogPrefix = "CoreGDrawingTest";
const char* g_CoreMachDebug_LogFileName = "CoreGDrawingTest.log";

namespace {
using CoreGraphics::BitmapContext;

struct Canvas {
  Canvas(int w, int h) {
    EXPECT_TRUE(bitmap.Construct(w, h, CoreGraphics::kBitmapTypeARGB, 0, nullptr));
    std::memset(bitmap.GetImageDataBytes(), 0, bitmap.GetImageDataSize());
  }
  // Byte `k` of the pixel at (x, y) in y-up coordinates.
  uint8_t at(int x, int y, int k) const {
    size_t row = size_t(bitmap.GetImageHeight() - 1 - y);
    return bitmap.GetImageDataBytes()[row * bitmap.GetImageRowBytes() + size_t(x) * 4 + size_t(k)];
  }
  CGContextRef context() const { return bitmap.GetContext(); }
  BitmapContext bitmap;
};

TEST(RoundRect, FractionalRadiusIsAShareOfTheShorterSide) {
  struct Case {
    float radius;
    bool cornerPainted;
  } cases[] = {{0.25f, false}, {8.0f, false}, {0.0001f, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radius);
    Canvas canvas(40, 20);
    CGContextSetRGBFillColor(canvas.context(), 1, 1, 1, 1);
    CoreGraphics::DrawRoundRect(canvas.context(), CGRectMake(0, 0, 40, 20), 0, c.radius);
    EXPECT_EQ(canvas.at(20, 10, 1), 255) << "centre filled";
    EXPECT_EQ(canvas.at(0, 0, 1) == 255, c.cornerPainted);
    EXPECT_EQ(canvas.at(39, 19, 1) == 255, c.cornerPainted);
  }
  // Radius 5 on the 40 × 20 rectangle: the pixel next to the corner along the bottom edge
  // lies outside the arc (it would be inside with a radius of 3), (3, 3) inside.
  Canvas canvas(40, 20);
  CGContextSetRGBFillColor(canvas.context(), 1, 1, 1, 1);
  CoreGraphics::DrawRoundRect(canvas.context(), CGRectMake(0, 0, 40, 20), 0, 0.25f);
  EXPECT_LT(canvas.at(1, 0, 1), 64);
  EXPECT_EQ(canvas.at(3, 3, 1), 255);
  CoreGraphics::RoundRectPath path(CGRectMake(0, 0, 40, 20), 5, 5);
  CGRect box = CGPathGetBoundingBox(path.GetPath());
  EXPECT_NEAR(box.size.width, 8, 1e-9) << "built in radius units";
  EXPECT_NEAR(box.size.height, 4, 1e-9);
}

TEST(RoundRect, DrawStrokesWithTheLineWidthInRadiusUnits) {
  Canvas canvas(40, 40);
  CGContextSetRGBFillColor(canvas.context(), 0, 0, 1, 1);
  CGContextSetRGBStrokeColor(canvas.context(), 1, 0, 0, 1);
  CoreGraphics::RoundRectPath path(CGRectMake(0, 0, 30, 30), 5, 5);
  path.Draw(canvas.context(), 5, 5, 0.4f);  // 2 pixels wide once scaled
  EXPECT_EQ(canvas.at(20, 20, 3), 255) << "filled blue";
  EXPECT_EQ(canvas.at(5, 20, 1), 255) << "stroked red on the edge";
  EXPECT_TRUE(CGAffineTransformIsIdentity(CGContextGetCTM(canvas.context())));
}

TEST(AxialGrayShading, RunsFromTopToBottomWhereTheMaskAllows) {
  CoreGraphics::MaskContext mask;
  ASSERT_TRUE(mask.Construct(10, 100));
  // The left half passes (image-mask samples of 0), the right half is held back.
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 10; ++x) mask.GetImageDataBytes()[size_t(y) * 10 + size_t(x)] = x < 5 ? 0 : 255;
  CGImageRef image = mask.ConstructCGImage(nullptr);
  Canvas canvas(10, 100);
  EXPECT_TRUE(CoreGraphics::DrawAxialGrayShading(canvas.context(), image, CGRectMake(0, 0, 10, 100), 1, 0));
  EXPECT_NEAR(canvas.at(2, 99, 1), 255, 4) << "white at the top";
  EXPECT_NEAR(canvas.at(2, 0, 1), 0, 4) << "black at the bottom";
  EXPECT_NEAR(canvas.at(2, 50, 1), 128, 6);
  EXPECT_EQ(canvas.at(2, 50, 0), 255) << "opaque";
  EXPECT_EQ(canvas.at(7, 50, 0), 0) << "held back by the mask";
  EXPECT_FALSE(CoreGraphics::DrawAxialGrayShading(canvas.context(), nullptr, CGRectMake(0, 0, 1, 1), 1, 0));
  EXPECT_FALSE(CoreGraphics::DrawAxialGrayShading(nullptr, image, CGRectMake(0, 0, 1, 1), 1, 0));
  CGImageRelease(image);
}

CFURLRef FileURL(const std::string& path) {
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.c_str()),
                                                 CFIndex(path.size()), false);
}

TEST(DrawPDFDocumentPage, FitsTheFirstPageIntoTheRectangle) {
  moxicam::test::TemporaryRoot root;
  std::string path = root.path() + "/square.pdf";
  cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), 100, 100);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0, 1, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);

  Canvas canvas(100, 100);
  CFURLRef url = FileURL(path);
  CoreGraphics::DrawPDFDocumentPage(canvas.context(), url, CGRectMake(0, 0, 50, 50), 1, 1);
  EXPECT_EQ(canvas.at(25, 25, 2), 255) << "inside the rect";
  EXPECT_EQ(canvas.at(75, 75, 2), 0) << "outside it";
  EXPECT_TRUE(CGAffineTransformIsIdentity(CGContextGetCTM(canvas.context())));
  CFRelease(url);

  Canvas untouched(10, 10);
  CFURLRef text = FileURL(root.writeFile("text.pdf", "not a PDF at all"));
  CoreGraphics::DrawPDFDocumentPage(untouched.context(), text, CGRectMake(0, 0, 10, 10), 1, 1);
  CoreGraphics::DrawPDFDocumentPage(untouched.context(), nullptr, CGRectMake(0, 0, 10, 10), 1, 1);
  EXPECT_EQ(untouched.at(5, 5, 0), 0);
  EXPECT_TRUE(CGAffineTransformIsIdentity(CGContextGetCTM(untouched.context())));
  CFRelease(text);
}

TEST(ImageData, UnknownResourcesHaveNoURL) {
  EXPECT_EQ(CoreGraphics::ImageData::ResourceURL("NoSuchResource", CFSTR("pdf")), nullptr);
  std::string reports = moxicam::test::captureStandardError(
      [] { EXPECT_EQ(CoreGraphics::ImageData::ResourceURL(nullptr, CFSTR("pdf")), nullptr); });
  EXPECT_NE(reports.find("namespace_CoreGraphics_ImageData:61 (ResourceURL)"), std::string::npos) << reports;
  EXPECT_NE(reports.find(" code : utf8_filename"), std::string::npos) << reports;
  EXPECT_EQ(CoreGraphics::ImageData::ResourceURL("\xff\xfe", CFSTR("pdf")), nullptr);
}

}  // namespace
