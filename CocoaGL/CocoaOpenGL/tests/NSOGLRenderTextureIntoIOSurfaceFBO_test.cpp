#include "NSOGLRenderTextureIntoIOSurfaceFBO.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChildProcess.h"
#include "CocoaOpenGLTestSupport.h"
#include "UIOSurfaceAPI.h"

const char* g_CoreMachDebug_LogPrefix = "RenderIntoSurfaceTest";
const char* g_CoreMachDebug_LogFileName = "RenderIntoSurfaceTest.log";

namespace {

using cocoagltest::GLTest;
using cocoagltest::kBlue;
using cocoagltest::kGreen;
using cocoagltest::kRed;
using cocoagltest::kWhite;
using cocoagltest::Picture;

class NSOGLRenderTextureIntoIOSurfaceFBOTest : public GLTest {};

TEST_F(NSOGLRenderTextureIntoIOSurfaceFBOTest, StartsClearedAndClearsWithoutASource) {
  IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(4, 4);
  NSOGLTextureIOSurface::textureWithIOSurface(surface)->setSurfacePixelsValue_withSyncLock(0x55, false);
  RefPtr<NSOGLRenderTextureIntoIOSurfaceFBO> target(
      NSOGLRenderTextureIntoIOSurfaceFBO::textureWithIOSurface(surface));
  EXPECT_EQ(cocoagltest::corners(surface), std::vector<uint32_t>(4, 0u)) << "zero bytes from the start";
  target->setSurfacePixelsValue_withSyncLock(0x55, false);
  target->renderScene();
  EXPECT_EQ(cocoagltest::corners(surface), std::vector<uint32_t>(4, 0u)) << "transparent after each render";
  EXPECT_EQ(target->glContext(), NSOGLSharingContext::defaultSharedContext());
  target = nullptr;
  CFRelease(surface);
}

// The sharing servers' render: the output texture turned vertically, so that memory holds the
// picture from its top row down.
TEST_F(NSOGLRenderTextureIntoIOSurfaceFBOTest, DrawsTheSourceUnchangedOrTurnedVertically) {
  Picture picture(8, 6);
  IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(8, 6);
  RefPtr<NSOGLRenderTextureIntoIOSurfaceFBO> target(
      NSOGLRenderTextureIntoIOSurfaceFBO::textureWithIOSurface(surface));
  target->setSourceTexture(picture.texture.get());
  target->renderScene();
  EXPECT_EQ(cocoagltest::corners(surface), (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite}));
  picture.texture->setFlipVertical(true);
  target->renderScene();
  picture.texture->setFlipVertical(false);
  EXPECT_EQ(cocoagltest::corners(surface), (std::vector<uint32_t>{kBlue, kWhite, kRed, kGreen}));
  target = nullptr;
  CFRelease(surface);
}

// Under the program's own root, not a root of the test's: the surface registry a process
// serves its global surfaces from stays in the root it started in.
TEST(NSOGLRenderTextureIntoIOSurfaceFBOAcrossProcesses, AnotherProcessReadsTheFrameTheRightWayUp) {
  NSOGLSharingContext::defaultSharedContext()->makeCurrentContext();
  Picture picture(16, 8);
  IOSurfaceRef surface =
      NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight_globalShared(16, 8, true);
  RefPtr<NSOGLRenderTextureIntoIOSurfaceFBO> target(
      NSOGLRenderTextureIntoIOSurfaceFBO::textureWithIOSurface(surface));
  target->setSourceTexture(picture.texture.get());
  const std::string id = std::to_string(IOSurfaceGetID(surface));
  // Memory row 0 and the last row, left and right.
  const std::vector<std::string> where = {id, "0", "0", "15", "0", "0", "7", "15", "7"};
  for (bool turned : {false, true}) {
    picture.texture->setFlipVertical(turned);
    target->renderScene();
    const moxicam::test::ChildResult reader = moxicam::test::runChild(SURFACE_READER_PROGRAM, where);
    ASSERT_EQ(reader.exitCode, 0) << reader.err;
    EXPECT_EQ(reader.out,
              turned ? "FF0000FF FFFFFFFF FFFF0000 FF00FF00\n" : "FFFF0000 FF00FF00 FF0000FF FFFFFFFF\n")
        << (turned ? "turned: the picture's top row first" : "unturned: GL's bottom row first");
  }
  target = nullptr;
  CFRelease(surface);
}

TEST(UIOSurfaceAPI, WrapsTheUseCount) {
  IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(1, 1);
  EXPECT_FALSE(UIOSurfaceAPI::surfaceIsInUse(surface));
  UIOSurfaceAPI::surfaceIncrementUseCount(surface);
  UIOSurfaceAPI::surfaceIncrementUseCount(surface);
  EXPECT_EQ(UIOSurfaceAPI::surfaceGetUseCount(surface), 2);
  EXPECT_TRUE(UIOSurfaceAPI::surfaceIsInUse(surface));
  UIOSurfaceAPI::surfaceDecrementUseCount(surface);
  UIOSurfaceAPI::surfaceDecrementUseCount(surface);
  EXPECT_FALSE(UIOSurfaceAPI::surfaceIsInUse(surface));
  CFRelease(surface);
}

}  // namespace
