#include "NSOGLTexturingTest.h"

#include <gtest/gtest.h>

#include "CocoaOpenGLTestSupport.h"
#include "NSOGLTextureIOSurfaceFBO.h"

const char* g_CoreMachDebug_LogPrefix = "TexturingTest";
const char* g_CoreMachDebug_LogFileName = "TexturingTest.log";

namespace {

class NSOGLTexturingTestTest : public cocoagltest::GLTest {};

// The probe's quad fills a 64 x 64 target whose projection is the unit cube, one texel a pixel.
TEST_F(NSOGLTexturingTestTest, DrawsACheckerboardStartingBlack) {
  NSOGLTexturingTest* probe = NSOGLTexturingTest::textureTestAcquiredWithSharingContext();
  ASSERT_NE(probe->textureID(), 0u);
  EXPECT_EQ(probe->textureTarget(), static_cast<GLenum>(GL_TEXTURE_2D));
  IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(64, 64);
  RefPtr<NSOGLTextureIOSurfaceFBO> target = adopt(
      static_cast<NSOGLTextureIOSurfaceFBO*>(NSOGLTextureIOSurfaceFBO::alloc()->initWithIOSurface(surface)));
  target->beginRenderToFrameBuffer();
  glViewport(0, 0, 64, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-0.5, 0.5, -0.5, 0.5, -0.5, 0.5);
  glMatrixMode(GL_MODELVIEW);
  probe->drawUnitQuadGL();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  target->endRenderToFrameBuffer(true);
  EXPECT_EQ(cocoagltest::surfacePixel(surface, 0, 0), 0xFF000000u);
  EXPECT_EQ(cocoagltest::surfacePixel(surface, 8, 0), cocoagltest::kWhite);
  EXPECT_EQ(cocoagltest::surfacePixel(surface, 8, 8), 0xFF000000u);
  EXPECT_EQ(cocoagltest::surfacePixel(surface, 0, 63), cocoagltest::kWhite);
  target = nullptr;
  CFRelease(surface);
  glDeleteTextures(1, std::vector<GLuint>{probe->textureID()}.data());
}

}  // namespace
