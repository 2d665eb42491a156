// Textures of pictures (encoded data, a drawing, an image view's picture), the picture
// controller that renders an image view's picture only when it changed, and the render timer.
#include <AppKit/AppKit.h>
#include <Foundation/NSDate.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "CocoaOpenGLTestSupport.h"
#include "NSOGLDrawRectTexture.h"
#include "NSOGLImageViewTextureController.h"
#include "NSOGLRenderTextureIntoIOSurfaceFBO.h"
#include "NSOGLTextureBitmapImageData.h"
#include "NSTimer_NSOGLRenderTimer.h"
#include "RunLoopUntil.h"

const char* g_CoreMachDebug_LogPrefix = "PictureTexturesTest";
const char* g_CoreMachDebug_LogFileName = "PictureTexturesTest.log";

// A drawing of a red left half over a clear right half.
class HalfRedTexture : public NSOGLDrawRectTexture {
  OBJC_CLASS_DECL(HalfRedTexture, NSOGLDrawRectTexture)

 public:
  void drawRect(CGRect rect) override {
    NSOGLDrawRectTexture::drawRect(rect);
    NSColor::redColor()->set();
    NSRectFill(NSMakeRect(0, 0, rect.size.width / 2, rect.size.height));
  }

 protected:
  HalfRedTexture() = default;
};
OBJC_CLASS_DEFINE(HalfRedTexture)

// Counts the timer's calls.
class TimerTarget : public NSObject {
  OBJC_CLASS_DECL(TimerTarget, NSObject)

 public:
  void renderTick(NSTimer*) { ++ticks; }
  std::atomic<int> ticks{0};

 protected:
  TimerTarget() = default;
};
OBJC_CLASS_DEFINE(TimerTarget)
OBJC_METHODS(TimerTarget, OBJC_METHOD("renderTick:", &TimerTarget::renderTick))

namespace {

using cocoagltest::GLTest;
using cocoagltest::kBlue;
using cocoagltest::kRed;

// A bitmap with its top rows in one colour and its bottom rows in another (RGBA bytes).
RefPtr<NSBitmapImageRep> twoBandBitmap(NSInteger width, NSInteger height, uint32_t topRGBA,
                                       uint32_t bottomRGBA) {
  RefPtr<NSBitmapImageRep> bitmap = adopt(
      NSBitmapImageRep::alloc()
          ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
              nullptr, width, height, 8, 4, true, false, NSDeviceRGBColorSpace, 0, width * 4, 32));
  for (NSInteger y = 0; y < height; ++y)
    for (NSInteger x = 0; x < width; ++x) {
      const uint32_t rgba = y < height / 2 ? topRGBA : bottomRGBA;
      const uint8_t bytes[4] = {uint8_t(rgba >> 24), uint8_t(rgba >> 16), uint8_t(rgba >> 8), uint8_t(rgba)};
      std::memcpy(bitmap->bitmapData() + y * bitmap->bytesPerRow() + x * 4, bytes, 4);
    }
  return bitmap;
}

constexpr uint32_t kRedRGBA = 0xFF0000FF, kBlueRGBA = 0x0000FFFF, kGreenRGBA = 0x00FF00FF;

RefPtr<NSImage> imageOf(NSBitmapImageRep* bitmap) {
  RefPtr<NSImage> image = adopt(static_cast<NSImage*>(NSImage::alloc()->initWithSize(bitmap->size())));
  image->addRepresentation(bitmap);
  return image;
}

class NSOGLPictureTexturesTest : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    mSurface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(8, 8);
    mTarget = RefPtr<NSOGLRenderTextureIntoIOSurfaceFBO>(
        NSOGLRenderTextureIntoIOSurfaceFBO::textureWithIOSurface(mSurface));
  }
  void TearDown() override {
    mTarget = nullptr;
    CFRelease(mSurface);
    GLTest::TearDown();
  }
  // The texture drawn over the whole target; answers the target's top and bottom rows' colours
  // (by the picture's rows: GL row 0, memory row 0, is its bottom).
  std::pair<uint32_t, uint32_t> drawn(protocol_NSOGLDynamicTexture* texture) {
    mTarget->setSourceTexture(texture);
    mTarget->renderScene();
    mTarget->setSourceTexture(nullptr);
    return {cocoagltest::surfacePixel(mSurface, 2, 7), cocoagltest::surfacePixel(mSurface, 2, 0)};
  }

  IOSurfaceRef mSurface = nullptr;
  RefPtr<NSOGLRenderTextureIntoIOSurfaceFBO> mTarget;
};

TEST_F(NSOGLPictureTexturesTest, EncodedPictureBecomesAnUprightRectangleTextureOfItsSize) {
  RefPtr<NSBitmapImageRep> bitmap = twoBandBitmap(300, 200, kRedRGBA, kBlueRGBA);
  RefPtr<NSOGLTextureBitmapImageData> texture(
      NSOGLTextureBitmapImageData::textureWithImageData(bitmap->TIFFRepresentation()));
  ASSERT_NE(texture->textureName(), NSOGLTextureBase::kNoTextureName);
  EXPECT_EQ(texture->textureTarget(), uint32_t(GL_TEXTURE_RECTANGLE_ARB));
  EXPECT_EQ(texture->textureWidth(), 300u);
  EXPECT_EQ(texture->textureHeight(), 200u);
  EXPECT_TRUE(texture->flipVertical());
  EXPECT_FALSE(texture->textureUpdateNeeded());
  EXPECT_EQ(drawn(texture.get()), std::make_pair(kRed, kBlue)) << "the picture's top row stays on top";
  texture->setBitmapImage(twoBandBitmap(300, 200, kBlueRGBA, kRedRGBA).get());
  EXPECT_TRUE(texture->textureUpdateNeeded());
  EXPECT_TRUE(texture->textureUpdate());
  EXPECT_FALSE(texture->textureUpdate()) << "nothing more to upload";
  EXPECT_EQ(drawn(texture.get()), std::make_pair(kBlue, kRed));
}

TEST_F(NSOGLPictureTexturesTest, DataThatIsNoPictureMakesNoTexture) {
  const char garbage[] = "not a picture";
  for (NSData* data :
       {static_cast<NSData*>(nullptr), NSData::dataWithBytes_length(garbage, sizeof garbage)}) {
    RefPtr<NSOGLTextureBitmapImageData> texture(NSOGLTextureBitmapImageData::textureWithImageData(data));
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->textureName(), NSOGLTextureBase::kNoTextureName);
    EXPECT_FALSE(texture->textureUpdate());
  }
}

TEST_F(NSOGLPictureTexturesTest, DrawingIsCapturedAtTheTexturesSize) {
  RefPtr<HalfRedTexture> texture = adopt(
      static_cast<HalfRedTexture*>(HalfRedTexture::alloc()->initWithTextureTarget_textureWidth_textureHeight(
          GL_TEXTURE_RECTANGLE_ARB, 16, 16)));
  texture->setTextureUpdateNeeded(true);
  EXPECT_TRUE(texture->textureUpdate());
  EXPECT_FALSE(texture->textureUpdateNeeded());
  mTarget->setSourceTexture(texture.get());
  mTarget->renderScene();
  EXPECT_EQ(cocoagltest::surfacePixel(mSurface, 1, 4), kRed);
  EXPECT_EQ(cocoagltest::surfacePixel(mSurface, 6, 4), 0u) << "the base drawing is clear";
}

TEST_F(NSOGLPictureTexturesTest, ImageViewPictureIsDrawnAtTheTexturesSizeOverBlack) {
  RefPtr<NSImageView> view =
      adopt(static_cast<NSImageView*>(NSImageView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10))));
  view->setImage(imageOf(twoBandBitmap(4, 2, kRedRGBA, 0x00000000).get()).get());
  RefPtr<NSOGLImageViewTexture> texture =
      adopt(NSOGLImageViewTexture::alloc()->initWithImageView_textureTarget_textureWidth_textureHeight(
          view.get(), GL_TEXTURE_RECTANGLE_ARB, 32, 32));
  EXPECT_TRUE(texture->textureUpdateNeeded()) << "the view has a picture";
  EXPECT_TRUE(texture->textureUpdate());
  EXPECT_EQ(drawn(texture.get()), std::make_pair(kRed, 0xFF000000u)) << "transparent parts show black";
  view->setImage(nullptr);
  texture->setTextureUpdateNeeded(true);
  EXPECT_FALSE(texture->textureUpdate());
  EXPECT_FALSE(texture->textureUpdateNeeded());
  EXPECT_EQ(drawn(texture.get()), std::make_pair(kRed, 0xFF000000u)) << "the old picture stays";
}

// The controller renders the picture when it is told it changed, and not again until then.
TEST_F(NSOGLPictureTexturesTest, ControllerRendersThePictureOnlyWhenItChanged) {
  RefPtr<NSOGLImageViewTextureController> controller =
      adopt(static_cast<NSOGLImageViewTextureController*>(NSOGLImageViewTextureController::alloc()->init()));
  EXPECT_EQ(controller->textureSizePixels().width, 640);
  EXPECT_EQ(controller->textureSizePixels().height, 480);
  controller->updatePictureTextureIfNecessary();
  controller->pictureTextureChanged(nullptr);
  EXPECT_FALSE(controller->pictureTexture()) << "no image view, no texture";

  RefPtr<NSImageView> view =
      adopt(static_cast<NSImageView*>(NSImageView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10))));
  view->setImage(imageOf(twoBandBitmap(4, 4, kRedRGBA, kRedRGBA).get()).get());
  controller->setPictureImageView(view.get());
  controller->pictureTextureChanged(view.get());
  RefPtr<NSOGLImageViewTexture> texture = controller->pictureTexture();
  ASSERT_TRUE(texture);
  EXPECT_EQ(texture->textureTarget(), uint32_t(GL_TEXTURE_RECTANGLE_ARB));
  EXPECT_EQ(texture->textureWidth(), 640u);
  EXPECT_FALSE(texture->textureUpdateNeeded());
  EXPECT_EQ(drawn(texture.get()).first, kRed);

  view->setImage(imageOf(twoBandBitmap(4, 4, kBlueRGBA, kBlueRGBA).get()).get());
  controller->updatePictureTextureIfNecessary();
  controller->updatePictureTextureIfNecessary();
  EXPECT_EQ(drawn(texture.get()).first, kRed) << "not told, not rendered";
  controller->pictureTextureChanged(view.get());
  EXPECT_EQ(controller->pictureTexture(), texture) << "the texture is kept";
  EXPECT_EQ(drawn(texture.get()).first, kBlue);
}

TEST(NSOGLRenderTimer, FiresAtTheRateInEveryModeItNames) {
  RefPtr<TimerTarget> target = adopt(static_cast<TimerTarget*>(TimerTarget::alloc()->init()));
  RefPtr<NSTimer> timer =
      adopt(NSOGLRenderTimer::renderTimerWithFPS_target_selector(25, target.get(), SELECTOR("renderTick:")));
  ASSERT_TRUE(timer);
  EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.04);
  int expected = 0;
  for (NSString* mode : {NSDefaultRunLoopMode, NSModalPanelRunLoopMode, NSEventTrackingRunLoopMode}) {
    ++expected;
    for (int i = 0; i < 500 && target->ticks < expected; ++i)
      NSRunLoop::currentRunLoop()->runMode_beforeDate(mode, NSDate::dateWithTimeIntervalSinceNow(0.05));
    EXPECT_GE(target->ticks, expected) << "in mode " << expected;
  }
  timer->invalidate();
  for (double rate : {0.0, -25.0})
    EXPECT_EQ(
        NSOGLRenderTimer::renderTimerWithFPS_target_selector(rate, target.get(), SELECTOR("renderTick:")),
        nullptr);
}

}  // namespace
