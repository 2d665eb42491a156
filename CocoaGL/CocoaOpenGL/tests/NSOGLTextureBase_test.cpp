#include "NSOGLTextureBase.h"

#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGraphics.h>
#include <AppKit/NSView.h>
#include <CoreFoundation/CFString.h>
#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "CocoaOpenGLTestSupport.h"

const char* g_CoreMachDebug_LogPrefix = "NSOGLTextureBaseTest";
const char* g_CoreMachDebug_LogFileName = "NSOGLTextureBaseTest.log";

// Red in its bottom half, transparent above.
class HalfRedView : public NSView {
  OBJC_CLASS_DECL(HalfRedView, NSView)

 public:
  void drawRect(NSRect) override {
    NSColor::redColor()->set();
    NSRectFill(NSMakeRect(0, 0, bounds().size.width, bounds().size.height / 2));
  }
};

OBJC_CLASS_DEFINE(HalfRedView)

namespace {

using cocoagltest::GLTest;

RefPtr<NSOGLTextureBase> makeTexture(uint32_t target, uint32_t width, uint32_t height) {
  return adopt(
      NSOGLTextureBase::alloc()->initWithTextureTarget_textureWidth_textureHeight(target, width, height));
}

// The texture's texels, GL row 0 first, as 0xAARRGGBB words.
std::vector<uint32_t> texels(NSOGLTextureBase* texture) {
  std::vector<uint32_t> words(texture->textureWidth() * texture->textureHeight());
  glBindTexture(texture->textureTarget(), texture->textureName());
  glGetTexImage(texture->textureTarget(), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, words.data());
  glBindTexture(texture->textureTarget(), 0);
  return words;
}

struct Coordinates {
  uint32_t target;
  bool flipHorizontal, flipVertical;
  float sMin, sMax, tMin, tMax;
};

class TextureCoordinates : public GLTest, public testing::WithParamInterface<Coordinates> {};

TEST_P(TextureCoordinates, FollowTargetAndFlips) {
  const Coordinates& c = GetParam();
  RefPtr<NSOGLTextureBase> texture = makeTexture(c.target, 640, 480);
  texture->setFlipHorizontal(c.flipHorizontal);
  texture->setFlipVertical(c.flipVertical);
  EXPECT_EQ(texture->textureCoordSMin(), c.sMin);
  EXPECT_EQ(texture->textureCoordSMax(), c.sMax);
  EXPECT_EQ(texture->textureCoordTMin(), c.tMin);
  EXPECT_EQ(texture->textureCoordTMax(), c.tMax);
}

INSTANTIATE_TEST_SUITE_P(Targets, TextureCoordinates,
                         testing::Values(Coordinates{GL_TEXTURE_2D, false, false, 0, 1, 0, 1},
                                         Coordinates{GL_TEXTURE_2D, false, true, 0, 1, 1, 0},
                                         Coordinates{GL_TEXTURE_RECTANGLE_ARB, false, false, 0, 640, 0, 480},
                                         Coordinates{GL_TEXTURE_RECTANGLE_ARB, true, false, 640, 0, 0, 480},
                                         Coordinates{GL_TEXTURE_RECTANGLE_ARB, true, true, 640, 0, 480, 0}));

class NSOGLTextureBaseTest : public GLTest {};

TEST_F(NSOGLTextureBaseTest, NewTextureIsTransparentAndUpToDate) {
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_RECTANGLE_ARB, 4, 3);
  ASSERT_NE(texture->textureName(), NSOGLTextureBase::kNoTextureName);
  EXPECT_TRUE(glIsTexture(texture->textureName()));
  EXPECT_FALSE(texture->textureUpdateNeeded());
  EXPECT_EQ(texels(texture.get()), std::vector<uint32_t>(12, 0u));
  EXPECT_EQ(cocoagltest::describe(texture.get()),
            "NSOGLTextureBase{name:" + std::to_string(texture->textureName()) + " target:34037 (4x3)}");
}

TEST_F(NSOGLTextureBaseTest, OtherTargetsGetNoGLTexture) {
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_CUBE_MAP, 4, 4);
  EXPECT_EQ(texture->textureName(), NSOGLTextureBase::kNoTextureName);
  EXPECT_EQ(texture->textureTarget(), static_cast<uint32_t>(GL_TEXTURE_CUBE_MAP));
}

TEST_F(NSOGLTextureBaseTest, GLNameGoesWithTheTextureEvenWhereNoContextIsCurrent) {
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_2D, 2, 2);
  const GLuint name = texture->textureName();
  std::thread([&] {
    // The last reference goes on a thread that has never had a context.
    texture = nullptr;
  }).join();
  EXPECT_FALSE(glIsTexture(name));
}

TEST_F(NSOGLTextureBaseTest, LockIsMadeOnFirstUseAndIsRecursive) {
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_2D, 1, 1);
  EXPECT_EQ(texture->optionalMutex(), nullptr);
  texture->lock();
  EXPECT_NE(texture->optionalMutex(), nullptr);
  EXPECT_TRUE(texture->tryLock());
  bool takenElsewhere = true;
  std::thread([&] {
    takenElsewhere = texture->tryLock();
    if (takenElsewhere) texture->unlock();
  }).join();
  EXPECT_FALSE(takenElsewhere);
  texture->unlock();
  texture->unlock();
}

// A texture matrix applied to the GL texture matrix, read back.
std::vector<float> textureMatrixOf(protocol_NSOGLTexture* texture,
                                   const tagNSOGLNormalTextureMatrix* matrix) {
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  texture->textureWithMatrix(matrix);
  float m[16];
  glGetFloatv(GL_TEXTURE_MATRIX, m);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  return {m[0], m[1], m[4], m[5], m[12], m[13]};  // the 2-D part: columns x, y and the translation
}

struct MatrixCase {
  const char* what;
  tagNSOGLNormalTextureMatrix matrix;
  bool null;
  std::vector<float> expected;  // m00 m10 m01 m11 tx ty
};

class TextureMatrix : public GLTest, public testing::WithParamInterface<MatrixCase> {};

TEST_P(TextureMatrix, AppliesAsTheNormalisedValuesSay) {
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_RECTANGLE_ARB, 8, 4);
  const std::vector<float> matrix =
      textureMatrixOf(texture.get(), GetParam().null ? nullptr : &GetParam().matrix);
  for (size_t i = 0; i < matrix.size(); ++i)
    EXPECT_NEAR(matrix[i], GetParam().expected[i], 1e-4) << GetParam().what << " " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Matrices, TextureMatrix,
    testing::Values(MatrixCase{"null", {}, true, {1, 0, 0, 1, 0, 0}},
                    MatrixCase{"neutral", {0, 0.5f, 0.5f, 0.5f}, false, {1, 0, 0, 1, 0, 0}},
                    // Scaled by 0: every coordinate becomes the centre.
                    MatrixCase{"all zero", {0, 0, 0, 0}, false, {0, 0, 0, 0, 4, 2}},
                    // Twice the size about the centre (8 x 4 texels): s' = 2s - 4, t' = 2t - 2.
                    MatrixCase{"scale", {0, 1, 0.5f, 0.5f}, false, {2, 0, 0, 2, -4, -2}},
                    // Half a turn about the centre: s' = 8 - s, t' = 4 - t.
                    MatrixCase{"half turn", {0.5f, 0.5f, 0.5f, 0.5f}, false, {-1, 0, 0, -1, 8, 4}},
                    // The translations move s and t in opposite senses.
                    MatrixCase{"translate", {0, 0.5f, 0.75f, 0.75f}, false, {1, 0, 0, 1, -4, 2}}),
    [](const testing::TestParamInfo<MatrixCase>& info) {
      std::string name = info.param.what;
      for (char& c : name) c = c == ' ' ? '_' : c;
      return name;
    });

struct Upload {
  const char* what;
  size_t bitsPerPixel, samplesPerPixel;
  bool hasAlpha;
  size_t width, rowBytes;
  std::vector<uint8_t> rows;  // two rows
  bool uploaded;
  uint32_t firstTexel;  // 0xAARRGGBB; ignored when not uploaded
  const char* verify;   // the VERIFY text reported, or ""
};

class PixelUploads : public GLTest, public testing::WithParamInterface<Upload> {};

TEST_P(PixelUploads, ChooseTheFormatAndReadOnlyTheRows) {
  const Upload& u = GetParam();
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_RECTANGLE_ARB, static_cast<uint32_t>(u.width), 2);
  texture->setTextureUpdateNeeded(true);
  // The rows in memory of their exact size, so that a read past them is seen by the sanitizers.
  std::vector<uint8_t> rows(u.rows);
  EXPECT_EQ(texture->textureUpdateFromPixelData_rowBytes_bitsPerPixel_samplesPerPixel_hasAlpha(
                rows.data(), u.rowBytes, u.bitsPerPixel, u.samplesPerPixel, u.hasAlpha),
            u.uploaded);
  EXPECT_FALSE(texture->textureUpdateNeeded());
  if (u.uploaded) {
    const std::vector<uint32_t> words = texels(texture.get());
    EXPECT_EQ(words[0], u.firstTexel);
    EXPECT_EQ(words[u.width], u.firstTexel) << "the second row starts rowBytes after the first";
  }
  if (*u.verify)
    EXPECT_NE(log().find(u.verify), std::string::npos) << log();
  else
    EXPECT_EQ(log(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PixelUploads,
    testing::Values(Upload{"Luminance", 8, 1, false, 2, 2, {0x80, 0x10, 0x80, 0x10}, true, 0xFF808080, ""},
                    // Three pixels of 3 bytes: a row of 9 bytes, not padded to 12.
                    Upload{"OddRGB",
                           24,
                           3,
                           false,
                           3,
                           9,
                           {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9},
                           true,
                           0xFF010203,
                           ""},
                    Upload{"PaddedRGBA",
                           32,
                           4,
                           true,
                           1,
                           8,
                           {10, 20, 30, 40, 0xEE, 0xEE, 0xEE, 0xEE, 10, 20, 30, 40},
                           true,
                           0x280A141E,
                           ""},
                    Upload{"TwoSamples16", 16, 1, false, 1, 2, {1, 2, 3, 4}, false, 0, " code : 0"},
                    Upload{"RowsTooShort",
                           32,
                           4,
                           true,
                           2,
                           4,
                           {1, 2, 3, 4, 5, 6, 7, 8},
                           false,
                           0,
                           " code : rowPixels >= textureWidth()"}),
    [](const testing::TestParamInfo<Upload>& info) { return info.param.what; });

TEST_F(NSOGLTextureBaseTest, MissingRowsAreReportedNotRead) {
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_2D, 1, 1);
  EXPECT_FALSE(texture->textureUpdateFromPixelData_rowBytes_bitsPerPixel_samplesPerPixel_hasAlpha(
      nullptr, 4, 32, 4, true));
  const uint8_t pixel[4] = {};
  EXPECT_FALSE(texture->textureUpdateFromPixelData_rowBytes_bitsPerPixel_samplesPerPixel_hasAlpha(
      pixel, 0, 32, 4, true));
  EXPECT_NE(log().find(" code : pixelData"), std::string::npos);
  EXPECT_NE(log().find(" code : rowBytes"), std::string::npos);
}

TEST_F(NSOGLTextureBaseTest, BitmapsUploadAtTheTexturesSize) {
  // A 2 x 1 bitmap, red then blue, drawn into a 4 x 2 texture.
  RefPtr<NSBitmapImageRep> bitmap = adopt(
      NSBitmapImageRep::alloc()
          ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
              nullptr, 2, 1, 8, 4, true, false, NSDeviceRGBColorSpace, 0, 0, 32));
  const uint8_t pixels[8] = {255, 0, 0, 255, 0, 0, 255, 255};
  std::memcpy(bitmap->bitmapData(), pixels, sizeof pixels);
  RefPtr<NSOGLTextureBase> sameSize = makeTexture(GL_TEXTURE_RECTANGLE_ARB, 2, 1);
  EXPECT_TRUE(sameSize->textureUpdateFromBitmapData(bitmap.get()));
  EXPECT_EQ(texels(sameSize.get()), (std::vector<uint32_t>{cocoagltest::kRed, cocoagltest::kBlue}));
  RefPtr<NSOGLTextureBase> larger = makeTexture(GL_TEXTURE_RECTANGLE_ARB, 4, 2);
  EXPECT_TRUE(larger->textureUpdateFromBitmapData(bitmap.get()));
  const std::vector<uint32_t> words = texels(larger.get());
  EXPECT_EQ(words[0], cocoagltest::kRed);
  EXPECT_EQ(words[7], cocoagltest::kBlue);
  EXPECT_EQ(log(), "");
}

TEST_F(NSOGLTextureBaseTest, FloatingPointBitmapsAreRefused) {
  RefPtr<NSBitmapImageRep> bitmap = adopt(
      NSBitmapImageRep::alloc()
          ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
              nullptr, 1, 1, 8, 4, true, false, NSDeviceRGBColorSpace, NSFloatingPointSamplesBitmapFormat, 0,
              32));
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_2D, 1, 1);
  EXPECT_FALSE(texture->textureUpdateFromBitmapDataSameSize(bitmap.get()));
  EXPECT_NE(log().find(" code : fFloatingPoint==false"), std::string::npos) << log();
}

TEST_F(NSOGLTextureBaseTest, ViewContentsFillATextureOfTheirSizeUpright) {
  RefPtr<HalfRedView> view =
      adopt(static_cast<HalfRedView*>(HalfRedView::alloc()->initWithFrame(NSMakeRect(0, 0, 4, 2))));
  NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext();
  RefPtr<NSOGLTextureBase> other = makeTexture(GL_TEXTURE_RECTANGLE_ARB, 4, 4);
  EXPECT_FALSE(other->textureUpdateFromViewContents_textureContext(view.get(), shared)) << "sizes differ";
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_RECTANGLE_ARB, 4, 2);
  EXPECT_TRUE(texture->textureUpdateFromViewContents_textureContext(view.get(), shared));
  const std::vector<uint32_t> words = texels(texture.get());
  EXPECT_EQ(words[0], cocoagltest::kRed) << "GL's row 0 is the view's bottom";
  EXPECT_EQ(words[7], 0u);
}

TEST_F(NSOGLTextureBaseTest, YuvRowsUploadIntoRectangleTextures) {
  RefPtr<NSOGLTextureBase> texture = makeTexture(GL_TEXTURE_RECTANGLE_ARB, 2, 2);
  // White: Cb Y Cr Y with Y = 235, Cb = Cr = 128; rows padded to 8 bytes.
  const uint8_t rows[16] = {128, 235, 128, 235, 0, 0, 0, 0, 128, 235, 128, 235, 0, 0, 0, 0};
  EXPECT_TRUE(texture->textureUpdateFrom_2vuy_data_rowBytes_pixelFormat(rows, 8, 0x32767579));
  GLint rowLength = -1;
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
  EXPECT_EQ(rowLength, 0) << "the unpack state is put back";
  EXPECT_FALSE(texture->textureUpdateFrom_2vuy_data_rowBytes_pixelFormat(nullptr, 8, 0));
  RefPtr<NSOGLTextureBase> flat = makeTexture(GL_TEXTURE_2D, 2, 2);
  flat->setTextureUpdateNeeded(true);
  EXPECT_TRUE(flat->textureUpdateFrom_2vuy_data_rowBytes_pixelFormat(rows, 8, 0));
  EXPECT_FALSE(flat->textureUpdateNeeded());
}

}  // namespace
