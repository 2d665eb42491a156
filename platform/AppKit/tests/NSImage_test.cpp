#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSData.h>
#include <Foundation/NSURL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Headless.h"
#include "OffscreenDrawing.h"

namespace {

using moxicam::test::drawOffscreen;
using moxicam::test::near;
using moxicam::test::PDFShape;
using moxicam::test::pixelAt;
using moxicam::test::writeShapePDF;

std::string resources() { return NSBundle::mainBundle()->resourcePath()->UTF8String(); }

// A picture of w x h pixels: opaque red, with a green top-left pixel.
RefPtr<NSBitmapImageRep> redPicture(int w, int h) {
  return drawOffscreen(w, h, [=] {
    NSColor::redColor()->set();
    NSRectFill(NSMakeRect(0, 0, w, h));
    NSColor::greenColor()->set();
    NSRectFill(NSMakeRect(0, h - 1, 1, 1));
  });
}

void writeFile(const std::string& path, NSData* data) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(data->bytes(), 1, data->length(), file);
  std::fclose(file);
}

class ResourceImages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    objc::AutoreleasePool pool;
    writeFile(resources() + "/ImageTestSquare.png", redPicture(4, 4)->TIFFRepresentation());
    ASSERT_TRUE(writeShapePDF(resources() + "/ImageTestSkin.pdf", 20, 10, PDFShape::Ellipse, 0, 0, 1));
    // A PNG that pretends to be a PDF and a PDF resource beside a PNG of the same name.
    writeFile(resources() + "/ImageTestBoth.png", redPicture(2, 2)->TIFFRepresentation());
    ASSERT_TRUE(writeShapePDF(resources() + "/ImageTestBoth.pdf", 8, 8, PDFShape::Rectangle, 0, 0, 1));
  }
};

TEST_F(ResourceImages, NamesAreLookedUpAsTheyStandThenAsPDFThenPNG) {
  objc::AutoreleasePool pool;
  NSImage* square = NSImage::imageNamed(NSSTR("ImageTestSquare"));
  ASSERT_NE(square, nullptr);
  EXPECT_TRUE(NSEqualSizes(square->size(), NSMakeSize(4, 4)));
  EXPECT_STREQ(square->name()->UTF8String(), "ImageTestSquare");
  EXPECT_EQ(NSImage::imageNamed(NSSTR("ImageTestSquare")), square) << "read once, then kept";

  NSImage* skin = NSImage::imageNamed(NSSTR("ImageTestSkin"));
  ASSERT_NE(skin, nullptr);
  EXPECT_TRUE(NSEqualSizes(skin->size(), NSMakeSize(20, 10)));
  EXPECT_NE(NSImage::imageNamed(NSSTR("ImageTestSkin.pdf")), nullptr) << "the file name as it stands";
  EXPECT_EQ(NSImage::imageNamed(NSSTR("ImageTestSkin.PDF")), nullptr) << "file names keep their case";
  EXPECT_EQ(NSImage::imageNamed(NSSTR("ImageTestMissing")), nullptr);
  EXPECT_EQ(NSImage::imageNamed(NSSTR("../ImageTestSquare")), nullptr) << "nothing outside the resources";
  EXPECT_EQ(NSImage::imageNamed(nullptr), nullptr);

  NSImage* both = NSImage::imageNamed(NSSTR("ImageTestBoth"));
  ASSERT_NE(both, nullptr);
  EXPECT_TRUE(NSEqualSizes(both->size(), NSMakeSize(8, 8))) << "the PDF comes first";
  ASSERT_EQ(both->representations()->count(), 1u);
  EXPECT_TRUE(NSDynamicCast<NSPDFImageRep>(both->representations()->objectAtIndex(0)));
}

TEST_F(ResourceImages, AnImageNamedInCodeAnswersBeforeTheResource) {
  objc::AutoreleasePool pool;
  RefPtr<NSImage> mine = adopt(NSImage::alloc()->initWithSize(NSMakeSize(1, 1)));
  EXPECT_TRUE(mine->setName(NSSTR("ImageTestSquare")));
  EXPECT_EQ(NSImage::imageNamed(NSSTR("ImageTestSquare")), mine.get());
  mine->setName(nullptr);
  EXPECT_NE(NSImage::imageNamed(NSSTR("ImageTestSquare")), mine.get());
}

TEST(NSImage, APDFPageIsDrawnStretchedAsVectors) {
  objc::AutoreleasePool pool;
  const std::string path = resources() + "/ImageTestStretch.pdf";
  ASSERT_TRUE(writeShapePDF(path, 10, 10, PDFShape::Ellipse, 1, 0, 0));
  RefPtr<NSImage> image =
      adopt(NSImage::alloc()->initWithContentsOfFile(NSString::stringWithUTF8String(path.c_str())));
  ASSERT_TRUE(image);
  RefPtr<NSBitmapImageRep> drawn =
      drawOffscreen(80, 40, [&] { image->drawInRect(NSMakeRect(0, 0, 80, 40)); });
  EXPECT_TRUE(near(pixelAt(drawn.get(), 40, 20), 255, 0, 0, 255)) << pixelAt(drawn.get(), 40, 20);
  EXPECT_TRUE(near(pixelAt(drawn.get(), 2, 20), 255, 0, 0, 255)) << "the ellipse reaches the left edge";
  EXPECT_EQ(pixelAt(drawn.get(), 1, 1).a, 0) << "the corners stay transparent";
  EXPECT_EQ(pixelAt(drawn.get(), 78, 38).a, 0);
}

TEST(NSImage, DrawsThePartThatFromRectSelects) {
  objc::AutoreleasePool pool;
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(NSMakeSize(4, 2)));
  image->lockFocus();
  NSColor::blueColor()->set();
  NSRectFill(NSMakeRect(0, 0, 2, 2));
  NSColor::redColor()->set();
  NSRectFill(NSMakeRect(2, 0, 2, 2));
  image->unlockFocus();
  RefPtr<NSBitmapImageRep> drawn = drawOffscreen(10, 10, [&] {
    image->drawInRect_fromRect_operation_fraction(NSMakeRect(0, 0, 10, 10), NSMakeRect(2, 0, 2, 2),
                                                  NSCompositeSourceOver, 0.5);
  });
  EXPECT_TRUE(near(pixelAt(drawn.get(), 0, 0), 255, 0, 0, 128)) << "the red half, at half opacity";
  EXPECT_TRUE(near(pixelAt(drawn.get(), 9, 9), 255, 0, 0, 128));
}

TEST(NSImage, SourceInChangesOnlyWhatLiesUnderTheImage) {
  objc::AutoreleasePool pool;
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(NSMakeSize(4, 4)));
  image->lockFocus();
  NSColor::redColor()->set();
  NSRectFill(NSMakeRect(0, 0, 4, 4));
  image->unlockFocus();
  RefPtr<NSBitmapImageRep> drawn = drawOffscreen(10, 10, [&] {
    NSColor::blueColor()->set();
    NSRectFill(NSMakeRect(0, 0, 10, 10));
    NSColor::clearColor()->set();
    NSRectFill(NSMakeRect(3, 3, 1, 1));
    image->compositeToPoint_operation(NSMakePoint(2, 2), NSCompositeSourceIn);
  });
  EXPECT_TRUE(near(pixelAt(drawn.get(), 2, 2), 255, 0, 0, 255)) << "red where the destination was opaque";
  EXPECT_EQ(pixelAt(drawn.get(), 3, 3).a, 0) << "nothing where it was transparent";
  EXPECT_TRUE(near(pixelAt(drawn.get(), 0, 0), 0, 0, 255, 255)) << "untouched outside the image";
  EXPECT_TRUE(near(pixelAt(drawn.get(), 8, 8), 0, 0, 255, 255));
}

TEST(NSImage, CompositingIntoAFlippedContextKeepsThePictureUpright) {
  objc::AutoreleasePool pool;
  RefPtr<NSBitmapImageRep> picture = redPicture(4, 4);  // green at its top-left
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(NSMakeSize(4, 4)));
  image->addRepresentation(picture.get());
  RefPtr<NSBitmapImageRep> drawn = drawOffscreen(10, 10, [&] {
    CGContextRef cg = NSGraphicsContext::currentContext()->CGContext();
    CGContextTranslateCTM(cg, 0, 10);
    CGContextScaleCTM(cg, 1, -1);
    NSGraphicsContext::setCurrentContext(NSGraphicsContext::graphicsContextWithCGContext_flipped(cg, true));
    // In flipped coordinates the point is the lower-left corner: rows 2 to 5 from the top.
    image->compositeToPoint_operation(NSMakePoint(1, 6), NSCompositeSourceOver);
  });
  EXPECT_TRUE(near(pixelAt(drawn.get(), 1, 7), 0, 255, 0, 255)) << "green stays top-left";
  EXPECT_TRUE(near(pixelAt(drawn.get(), 4, 4), 255, 0, 0, 255));
  EXPECT_EQ(pixelAt(drawn.get(), 1, 8).a, 0);
  EXPECT_EQ(pixelAt(drawn.get(), 1, 3).a, 0);
}

TEST(NSImage, FocusDrawsIntoABitmapOfTheImagesSize) {
  objc::AutoreleasePool pool;
  // A bitmap of the image's size is drawn into where it is: its pixels change.
  RefPtr<NSBitmapImageRep> bitmap = redPicture(3, 3);
  RefPtr<NSImage> shared = adopt(NSImage::alloc()->initWithSize(NSMakeSize(3, 3)));
  shared->addRepresentation(bitmap.get());
  shared->lockFocus();
  NSColor::blueColor()->set();
  NSRectFill(NSMakeRect(0, 0, 1, 1));
  shared->unlockFocus();
  EXPECT_EQ(shared->representations()->objectAtIndex(0), bitmap.get());
  EXPECT_EQ(bitmap->colorAtX_y(0, 2)->blueComponent(), 1);
  EXPECT_EQ(NSGraphicsContext::currentContext(), nullptr) << "the caller's context comes back";

  // A PDF image is drawn into a new bitmap that shows the page and takes its place.
  const std::string path = resources() + "/ImageTestFocus.pdf";
  ASSERT_TRUE(writeShapePDF(path, 6, 6, PDFShape::Rectangle, 0, 1, 0));
  RefPtr<NSImage> page =
      adopt(NSImage::alloc()->initWithContentsOfFile(NSString::stringWithUTF8String(path.c_str())));
  ASSERT_TRUE(page);
  page->lockFocus();
  NSColor::redColor()->set();
  NSRectFill(NSMakeRect(0, 0, 1, 1));
  page->unlockFocus();
  ASSERT_EQ(page->representations()->count(), 1u);
  auto* drawn = NSDynamicCast<NSBitmapImageRep>(page->representations()->objectAtIndex(0));
  ASSERT_NE(drawn, nullptr);
  EXPECT_TRUE(near(pixelAt(drawn, 0, 0), 255, 0, 0, 255));
  EXPECT_TRUE(near(pixelAt(drawn, 3, 3), 0, 255, 0, 255));
}

TEST(NSImage, DataAndPlacesThatHoldNoPictureGiveNone) {
  objc::AutoreleasePool pool;
  const char text[] = "%PDF-1.4 but nothing after";
  EXPECT_FALSE(NSImage::alloc()->initWithData(NSData::dataWithBytes_length(text, sizeof text)));
  EXPECT_FALSE(NSImage::alloc()->initWithData(nullptr));
  EXPECT_FALSE(NSImage::alloc()->initWithContentsOfFile(NSSTR("/nonexistent/picture.png")));
  EXPECT_FALSE(
      NSImage::alloc()->initWithContentsOfURL(NSURL::URLWithString(NSSTR("http://example.invalid/a.png"))));
  RefPtr<NSImage> empty = adopt(NSImage::alloc()->initWithSize(NSZeroSize));
  EXPECT_FALSE(empty->isValid());
  empty->lockFocus();
  EXPECT_EQ(NSGraphicsContext::currentContext(), nullptr) << "an image of no size takes no focus";
  empty->unlockFocus();
  EXPECT_EQ(empty->TIFFRepresentation(), nullptr);
}

}  // namespace
