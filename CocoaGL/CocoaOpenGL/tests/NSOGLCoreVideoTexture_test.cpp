#include "NSOGLCoreVideoTexture.h"

#include <CoreVideo/CoreVideo.h>
#include <gtest/gtest.h>

#include "CocoaOpenGLTestSupport.h"
#include "NSOGLCVTextureCacheTexture.h"

const char* g_CoreMachDebug_LogPrefix = "CoreVideoTextureTest";
const char* g_CoreMachDebug_LogFileName = "CoreVideoTextureTest.log";

namespace {

using cocoagltest::GLTest;

CVPixelBufferRef bgraBuffer(size_t width, size_t height) {
  CVPixelBufferRef buffer = nullptr;
  CVPixelBufferCreate(nullptr, width, height, kCVPixelFormatType_32BGRA, nullptr, &buffer);
  return buffer;
}

class NSOGLCoreVideoTextureTest : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    mTexture =
        RefPtr<NSOGLCVTextureCacheTexture>(NSOGLCVTextureCacheTexture::textureWithDefaultSharedContext());
    ASSERT_TRUE(mTexture);
  }
  RefPtr<NSOGLCVTextureCacheTexture> mTexture;
};

TEST_F(NSOGLCoreVideoTextureTest, AFlippedFrameIsDrawnUprightAndFlipsTurnItOver) {
  EXPECT_EQ(mTexture->textureCopy(), nullptr);
  EXPECT_FALSE(mTexture->isTextureValid());
  CVPixelBufferRef frame = bgraBuffer(1280, 720);
  ASSERT_TRUE(mTexture->updateTextureWithPixelBuffer(frame));
  EXPECT_TRUE(mTexture->isTextureValid());
  EXPECT_EQ(mTexture->textureTarget(), uint32_t(GL_TEXTURE_RECTANGLE_ARB));
  EXPECT_NE(mTexture->textureName(), 0u);
  EXPECT_EQ(mTexture->textureWidth(), 1280u);
  EXPECT_EQ(mTexture->textureHeight(), 720u);
  EXPECT_TRUE(mTexture->flipVertical());
  EXPECT_FALSE(mTexture->upsideDown());
  // Each row: SMin, SMax, TMin, TMax after the change.
  struct Case {
    const char* change;
    bool flipVertical, flipHorizontal, upsideDown;
    float sMin, sMax, tMin, tMax;
  } cases[] = {
      {"as the frame says", true, false, false, 0, 1280, 720, 0},
      {"vertical flip off", false, false, true, 0, 1280, 0, 720},
      {"horizontal flip on", false, true, true, 1280, 0, 0, 720},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    mTexture->setFlipVertical(c.flipVertical);
    mTexture->setFlipHorizontal(c.flipHorizontal);
    EXPECT_EQ(mTexture->upsideDown(), c.upsideDown);
    EXPECT_EQ(mTexture->textureCoordSMin(), c.sMin);
    EXPECT_EQ(mTexture->textureCoordSMax(), c.sMax);
    EXPECT_EQ(mTexture->textureCoordTMin(), c.tMin);
    EXPECT_EQ(mTexture->textureCoordTMax(), c.tMax);
  }
  // A new frame sets the vertical flip from the frame again.
  ASSERT_TRUE(mTexture->updateTextureWithPixelBuffer(frame));
  EXPECT_TRUE(mTexture->flipVertical());
  CVPixelBufferRelease(frame);
}

TEST_F(NSOGLCoreVideoTextureTest, WhatIsNoPixelBufferKeepsThePreviousFrame) {
  CVPixelBufferRef frame = bgraBuffer(4, 2);
  ASSERT_TRUE(mTexture->updateTextureWithPixelBuffer(frame));
  CVOpenGLTextureRef kept = mTexture->textureCopy();
  ASSERT_NE(kept, nullptr);
  EXPECT_FALSE(mTexture->updateTextureWithPixelBuffer(kept)) << "a texture is not a pixel buffer";
  EXPECT_FALSE(mTexture->updateTextureWithPixelBuffer(nullptr));
  CVPixelBufferRef rgb = nullptr;
  CVPixelBufferCreate(nullptr, 4, 2, kCVPixelFormatType_24RGB, nullptr, &rgb);
  EXPECT_FALSE(mTexture->updateTextureWithPixelBuffer(rgb)) << "a format the cache cannot show";
  EXPECT_EQ(mTexture->texture(), kept);
  EXPECT_EQ(mTexture->textureWidth(), 4u);
  CVOpenGLTextureRelease(kept);
  CVPixelBufferRelease(rgb);
  CVPixelBufferRelease(frame);
}

// The texture keeps one reference to a cache it made itself, not two.
TEST_F(NSOGLCoreVideoTextureTest, ANewCacheIsHeldOnce) {
  RefPtr<NSOGLCVTextureCacheTexture> own =
      adopt(NSOGLCVTextureCacheTexture::alloc()->initWithNewTextureCacheUsingDefaultSharedContext());
  ASSERT_NE(own->textureCache(), nullptr);
  EXPECT_EQ(CFGetRetainCount(own->textureCache()), 1);
  EXPECT_EQ(NSOGLCVTextureCacheTexture::textureWithOpenGLContext_pixelFormat(nullptr, nullptr), nullptr);
}

}  // namespace
