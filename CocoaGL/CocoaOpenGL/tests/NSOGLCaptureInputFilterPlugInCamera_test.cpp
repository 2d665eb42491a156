// A camera of a DAL plug-in (the test camera: white with a pink square) through the capture
// input filter into its texture, and on into a global surface that another process reads.
#include <CameraRoot.h>

#include <sstream>

#include "ChildProcess.h"
#include "CocoaOpenGLTestSupport.h"
#include "NSOGLRenderTextureIntoIOSurfaceFBO.h"
#include "NSOGLVideoCVInputFilter.h"
#include "PollUntil.h"

const char* g_CoreMachDebug_LogPrefix = "CaptureInputFilterPlugInCameraTest";
const char* g_CoreMachDebug_LogFileName = "CaptureInputFilterPlugInCameraTest.log";

namespace {

using namespace cocoagltest;
using namespace std::chrono_literals;

class NSOGLCaptureInputFilterPlugInCameraTest : public GLTest {};

TEST_F(NSOGLCaptureInputFilterPlugInCameraTest, ThePlugInCamerasFramesReachAnotherProcess) {
  moxicam::test::CameraRoot camera(TEST_CAMERA_BUNDLE);
  RefPtr<NSOGLVideoCVInputFilter> filter =
      adopt(static_cast<NSOGLVideoCVInputFilter*>(NSOGLVideoCVInputFilter::alloc()->init()));
  ASSERT_TRUE(filter->drawableInitialize(nullptr));
  // The plug-in publishes its camera on a thread of its own once loaded.
  ASSERT_TRUE(moxicam::test::pollUntil(
      [] {
        return QTCaptureDevice::deviceWithUniqueID(NSSTR("com.quillfen.moxicam.test.pattern")) != nullptr;
      },
      20s));
  filter->captureSessionBegin(nullptr);
  ASSERT_EQ(std::string(filter->selectedVideoDeviceLocalizedName()->UTF8String()), "Moxicam Test Pattern");
  // Past the black filler that selecting the camera put in.
  filter->setOutputImageUpdated(false);
  ASSERT_TRUE(moxicam::test::pollUntil([&] { return filter->outputImageUpdated(); }, 20s));

  IOSurfaceRef surface =
      NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight_globalShared(1280, 720, true);
  RefPtr<NSOGLRenderTextureIntoIOSurfaceFBO> target(
      NSOGLRenderTextureIntoIOSurfaceFBO::textureWithIOSurface(surface));
  RefPtr<protocol_NSOGLDynamicTexture> output = filter->outputImage();
  target->setSourceTexture(output.get());
  target->renderScene();
  filter->captureSessionEnd(nullptr);

  std::vector<std::string> arguments = {std::to_string(IOSurfaceGetID(surface))};
  const int places[][2] = {{2, 2}, {1277, 2}, {2, 717}, {1277, 717}, {640, 360}, {300, 500}};
  for (const auto& place : places) {
    arguments.push_back(std::to_string(place[0]));
    arguments.push_back(std::to_string(place[1]));
  }
  const moxicam::test::ChildResult reader = moxicam::test::runChild(SURFACE_READER_PROGRAM, arguments);
  ASSERT_EQ(reader.exitCode, 0) << reader.err;
  std::istringstream words(reader.out);
  int white = 0;
  for (size_t i = 0; i < std::size(places); ++i) {
    uint32_t pixel = 0;
    words >> std::hex >> pixel;
    // White, or the pink of the square (its soft edge aside).
    const bool isWhite = pixel == kWhite;
    const bool isPink = (pixel & 0xFFFF0000u) == 0xFFFF0000u && ((pixel >> 8) & 0xFF) < 0x80;
    EXPECT_TRUE(isWhite || isPink) << std::hex << pixel;
    white += isWhite;
  }
  EXPECT_GE(white, 4);
  CFRelease(surface);
}

}  // namespace
