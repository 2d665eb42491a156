// PDF documents made here with Cairo, read and drawn back.
#include <CoreGraphics/CoreGraphics.h>
#include <cairo-pdf.h>
#include <gtest/gtest.h>

#include <CoreFoundation/CFURL.h>
#include <TemporaryRoot.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A 200 × 100 point page: its left half red, its right half blue.
std::string writeTwoColourPDF(const std::string& folder) {
  std::string path = folder + "/two-colours.pdf";
  cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), 200, 100);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_rectangle(cr, 0, 0, 100, 100);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_rectangle(cr, 100, 0, 100, 100);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return path;
}

CFURLRef fileURL(const std::string& path) {
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.c_str()),
                                                 CFIndex(path.size()), false);
}

TEST(CGPDFDocument, ReadsPagesAndDrawsThemUpright) {
  moxicam::test::TemporaryRoot root;
  CFURLRef url = fileURL(writeTwoColourPDF(root.path()));
  CGPDFDocumentRef document = CGPDFDocumentCreateWithURL(url);
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(CGPDFDocumentGetNumberOfPages(document), 1u);
  EXPECT_EQ(CGPDFDocumentGetPage(document, 0), nullptr);
  EXPECT_EQ(CGPDFDocumentGetPage(document, 2), nullptr);
  CGPDFPageRef page = CGPDFDocumentGetPage(document, 1);
  ASSERT_NE(page, nullptr);
  CGRect box = CGPDFPageGetBoxRect(page, kCGPDFMediaBox);
  EXPECT_DOUBLE_EQ(box.size.width, 200);
  EXPECT_DOUBLE_EQ(box.size.height, 100);

  std::vector<uint8_t> pixels(200 * 100 * 4);
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGContextRef c = CGBitmapContextCreate(pixels.data(), 200, 100, 8, 800, rgb, kCGImageAlphaPremultipliedFirst);
  CGContextDrawPDFPage(c, page);
  auto at = [&](int x, int y) { return pixels.data() + y * 800 + x * 4; };
  EXPECT_EQ(at(20, 50)[1], 255) << "left half red";
  EXPECT_EQ(at(20, 50)[3], 0);
  EXPECT_EQ(at(180, 50)[3], 255) << "right half blue";
  CGContextRelease(c);
  CGColorSpaceRelease(rgb);
  CGPDFDocumentRelease(document);
  CFRelease(url);
}

TEST(CGPDFDocument, DrawingTransformFitsTheBoxWithoutEnlargingIt) {
  moxicam::test::TemporaryRoot root;
  CFURLRef url = fileURL(writeTwoColourPDF(root.path()));
  CGPDFDocumentRef document = CGPDFDocumentCreateWithURL(url);
  ASSERT_NE(document, nullptr);
  CGPDFPageRef page = CGPDFDocumentGetPage(document, 1);
  struct Case {
    CGRect rect;
    CGRect expected;
  } cases[] = {
      {CGRectMake(0, 0, 100, 100), CGRectMake(0, 25, 100, 50)},     // scaled down, centred
      {CGRectMake(0, 0, 400, 400), CGRectMake(100, 150, 200, 100)},  // never enlarged
  };
  for (const Case& k : cases) {
    CGAffineTransform t = CGPDFPageGetDrawingTransform(page, kCGPDFMediaBox, k.rect, 0, true);
    CGRect mapped = CGRectApplyAffineTransform(CGRectMake(0, 0, 200, 100), t);
    EXPECT_NEAR(mapped.origin.x, k.expected.origin.x, 1e-9);
    EXPECT_NEAR(mapped.origin.y, k.expected.origin.y, 1e-9);
    EXPECT_NEAR(mapped.size.width, k.expected.size.width, 1e-9);
    EXPECT_NEAR(mapped.size.height, k.expected.size.height, 1e-9);
  }
  CGPDFDocumentRelease(document);
  CFRelease(url);
}

TEST(CGPDFDocument, NoDocumentForFilesThatAreNotPDF) {
  moxicam::test::TemporaryRoot root;
  std::string path = root.writeFile("not.pdf", "plain text, not a PDF");
  CFURLRef url = fileURL(path);
  EXPECT_EQ(CGPDFDocumentCreateWithURL(url), nullptr);
  CFRelease(url);
  CFURLRef missing = fileURL(root.path() + "/missing.pdf");
  EXPECT_EQ(CGPDFDocumentCreateWithURL(missing), nullptr);
  CFRelease(missing);
  EXPECT_EQ(CGPDFDocumentCreateWithURL(nullptr), nullptr);
}

}  // namespace
