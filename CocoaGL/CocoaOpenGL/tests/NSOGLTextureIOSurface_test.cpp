#include "NSOGLTextureIOSurface.h"

#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGDataProvider.h>
#include <CoreGraphics/CGImage.h>
#include <gtest/gtest.h>

#include <thread>

#include "CocoaOpenGLTestSupport.h"
#include "NSOGLTextureIOSurfaceFBO.h"

const char* g_CoreMachDebug_LogPrefix = "NSOGLTextureIOSurfaceTest";
const char* g_CoreMachDebug_LogFileName = "NSOGLTextureIOSurfaceTest.log";

namespace {

using cocoagltest::GLTest;
using cocoagltest::kBlue;
using cocoagltest::kGreen;
using cocoagltest::kRed;
using cocoagltest::kWhite;

RefPtr<NSOGLTextureIOSurfaceFBO> makeTarget(IOSurfaceRef surface) {
  return adopt(
      static_cast<NSOGLTextureIOSurfaceFBO*>(NSOGLTextureIOSurfaceFBO::alloc()->initWithIOSurface(surface)));
}

// Clears the target's whole framebuffer to a colour, as one render pass.
void clearTarget(NSOGLTextureIOSurfaceFBO* target, float r, float g, float b) {
  target->beginRenderToFrameBuffer();
  glViewport(0, 0, static_cast<GLsizei>(target->textureWidth()),
             static_cast<GLsizei>(target->textureHeight()));
  glClearColor(r, g, b, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  target->endRenderToFrameBuffer(true);
}

class NSOGLTextureIOSurfaceTest : public GLTest {};

TEST_F(NSOGLTextureIOSurfaceTest, SurfacesAreNonGlobalBGRAUnlessAskedFor) {
  IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(1280, 720);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(IOSurfaceGetPixelFormat(surface), 0x42475241u);
  EXPECT_EQ(IOSurfaceGetBytesPerElement(surface), 4u);
  EXPECT_EQ(IOSurfaceGetWidth(surface), 1280u);
  EXPECT_EQ(IOSurfaceGetHeight(surface), 720u);
  CFRelease(surface);
  EXPECT_EQ(NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(0, 720), nullptr);
}

TEST_F(NSOGLTextureIOSurfaceTest, TextureIsARectangleOfTheSurfacesSize) {
  IOSurfaceRef surface = cocoagltest::createPictureSurface(6, 4);
  NSOGLTextureIOSurface* texture = NSOGLTextureIOSurface::textureWithIOSurface(surface);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->textureTarget(), static_cast<uint32_t>(GL_TEXTURE_RECTANGLE_ARB));
  EXPECT_EQ(texture->textureWidth(), 6u);
  EXPECT_EQ(texture->textureHeight(), 4u);
  EXPECT_EQ(texture->surface(), surface);
  EXPECT_EQ(NSOGLTextureIOSurface::textureWithIOSurface(nullptr), nullptr);
  EXPECT_EQ(cocoagltest::describe(texture).rfind("NSOGLTextureIOSurface{", 0), 0u);
  CFRelease(surface);
}

TEST_F(NSOGLTextureIOSurfaceTest, SurfaceCopyIsTheCallers) {
  IOSurfaceRef surface = cocoagltest::createPictureSurface(2, 2);
  RefPtr<NSOGLTextureIOSurface> texture = adopt(NSOGLTextureIOSurface::alloc()->initWithIOSurface(surface));
  const CFIndex before = CFGetRetainCount(surface);
  IOSurfaceRef copy = texture->surfaceCopy();
  EXPECT_EQ(copy, surface);
  EXPECT_EQ(CFGetRetainCount(surface), before + 1);
  CFRelease(copy);
  texture->setSurface(nullptr);
  EXPECT_EQ(texture->surfaceCopy(), nullptr);
  EXPECT_EQ(CFGetRetainCount(surface), before - 1);
  CFRelease(surface);
}

TEST_F(NSOGLTextureIOSurfaceTest, ManagedUseCountIsRaisedWhileTheTextureHoldsTheSurface) {
  IOSurfaceRef surface = cocoagltest::createPictureSurface(2, 2);
  {
    RefPtr<NSOGLTextureIOSurface> plain = adopt(NSOGLTextureIOSurface::alloc()->initWithIOSurface(surface));
    EXPECT_EQ(IOSurfaceGetUseCount(surface), 0);
    RefPtr<NSOGLTextureIOSurface> managed =
        adopt(NSOGLTextureIOSurface::copyTextureWithIOSurfaceWithManagedUseCount(surface));
    EXPECT_TRUE(managed->manageSurfaceUseCount());
    EXPECT_EQ(IOSurfaceGetUseCount(surface), 1);
    EXPECT_TRUE(IOSurfaceIsInUse(surface));
  }
  EXPECT_EQ(IOSurfaceGetUseCount(surface), 0);
  CFRelease(surface);
}

TEST_F(NSOGLTextureIOSurfaceTest, PixelsValueFillsEveryByteWithTheLowByte) {
  IOSurfaceRef surface = cocoagltest::createPictureSurface(3, 2);
  RefPtr<NSOGLTextureIOSurface> texture = adopt(NSOGLTextureIOSurface::alloc()->initWithIOSurface(surface));
  EXPECT_TRUE(texture->setSurfacePixelsValue_withSyncLock(0x1FF, true));
  EXPECT_EQ(cocoagltest::corners(surface), std::vector<uint32_t>(4, 0xFFFFFFFFu));
  EXPECT_TRUE(texture->setSurfacePixelsInitialValue(0));
  EXPECT_EQ(cocoagltest::corners(surface), std::vector<uint32_t>(4, 0u));
  texture->setSurface(nullptr);
  EXPECT_FALSE(texture->setSurfacePixelsInitialValue(0));
  CFRelease(surface);
}

TEST_F(NSOGLTextureIOSurfaceTest, FramebufferDrawsIntoTheSurfaceMemoryRowZeroFirst) {
  IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(4, 4);
  RefPtr<NSOGLTextureIOSurfaceFBO> target = makeTarget(surface);
  EXPECT_EQ(target->frameBufferStatus(), static_cast<uint32_t>(GL_FRAMEBUFFER_COMPLETE_EXT));
  EXPECT_NE(target->frameBufferObject(), 0u);
  target->beginRenderToFrameBuffer();
  glViewport(0, 0, 4, 4);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 4, 1);  // GL row 0
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  target->endRenderToFrameBuffer(false);
  EXPECT_EQ(cocoagltest::surfacePixel(surface, 0, 0), kRed);
  EXPECT_EQ(cocoagltest::surfacePixel(surface, 0, 3), 0u);
  CFRelease(surface);
}

TEST_F(NSOGLTextureIOSurfaceTest, FramebufferIsDeletedWithItsTexture) {
  IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(4, 4);
  RefPtr<NSOGLTextureIOSurfaceFBO> target = makeTarget(surface);
  const GLuint framebuffer = target->frameBufferObject(), texture = target->textureName();
  // Framebuffer and texture names are counted apart, so the two may be the same number.
  EXPECT_TRUE(glIsFramebufferEXT(framebuffer));
  EXPECT_TRUE(glIsTexture(texture));
  target = nullptr;
  EXPECT_FALSE(glIsFramebufferEXT(framebuffer));
  EXPECT_FALSE(glIsTexture(texture));
  const CFIndex held = CFGetRetainCount(surface);
  EXPECT_EQ(held, 1) << "nothing holds the surface once its texture is gone";
  CFRelease(surface);
}

TEST_F(NSOGLTextureIOSurfaceTest, NewSurfaceIsWhatTheTextureShowsAndDrawsInto) {
  IOSurfaceRef first = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(4, 4);
  IOSurfaceRef second = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(4, 4);
  RefPtr<NSOGLTextureIOSurfaceFBO> target = makeTarget(first);
  clearTarget(target.get(), 1, 0, 0);
  target->setSurface(second);
  clearTarget(target.get(), 0, 0, 1);
  EXPECT_EQ(cocoagltest::surfacePixel(first, 1, 1), kRed) << "the old surface keeps its last frame";
  EXPECT_EQ(cocoagltest::surfacePixel(second, 1, 1), kBlue) << "drawing reaches the surface handed out";
  IOSurfaceRef handedOut = target->surfaceCopy();
  EXPECT_EQ(handedOut, second);
  CFRelease(handedOut);
  target = nullptr;
  CFRelease(first);
  CFRelease(second);
}

TEST_F(NSOGLTextureIOSurfaceTest, FramebuffersWorkOnEveryThreadOfTheShareGroup) {
  IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(4, 4);
  RefPtr<NSOGLTextureIOSurfaceFBO> target = makeTarget(surface);
  std::thread([&] {
    NSOGLSharingContext::defaultSharedContext()->makeCurrentContext();
    clearTarget(target.get(), 0, 1, 0);
    NSOpenGLContext::clearCurrentContext();
  }).join();
  EXPECT_EQ(cocoagltest::surfacePixel(surface, 2, 2), kGreen);
  target = nullptr;
  CFRelease(surface);
}

class SurfaceImages : public GLTest, public testing::WithParamInterface<bool> {};

TEST_P(SurfaceImages, ShowTheSurfaceAsBGRAPremultipliedFirst) {
  const bool locking = GetParam();
  IOSurfaceRef surface = cocoagltest::createPictureSurface(4, 2);
  RefPtr<NSOGLTextureIOSurface> texture = adopt(NSOGLTextureIOSurface::alloc()->initWithIOSurface(surface));
  CGImageRef image = locking
                         ? texture->createSurfaceImageLockingSurfaceWithColorSpaceName(kCGColorSpaceSRGB)
                         : texture->createSurfaceImageByCopyingPixelsWithColorSpaceName(kCGColorSpaceSRGB);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(CGImageGetWidth(image), 4u);
  EXPECT_EQ(CGImageGetHeight(image), 2u);
  EXPECT_EQ(CGImageGetBitmapInfo(image), 0x2002u);
  CFDataRef data = CGDataProviderCopyData(CGImageGetDataProvider(image));
  uint32_t first = 0;
  std::memcpy(&first, CFDataGetBytePtr(data), 4);
  EXPECT_EQ(first, kRed) << "memory row 0 is the image's first row";
  CFRelease(data);
  CGImageRelease(image);
  EXPECT_EQ(texture->createSurfaceImageByCopyingPixelsWithColorSpace(nullptr), nullptr);
  EXPECT_EQ(texture->createSurfaceImageLockingSurfaceWithColorSpaceName(CFSTR("no such space")), nullptr);
  texture = nullptr;
  EXPECT_EQ(CFGetRetainCount(surface), 1) << "the image let its surface go";
  CFRelease(surface);
}

INSTANTIATE_TEST_SUITE_P(Ways, SurfaceImages, testing::Bool(), [](const testing::TestParamInfo<bool>& info) {
  return info.param ? "Locking" : "Copying";
});

}  // namespace
