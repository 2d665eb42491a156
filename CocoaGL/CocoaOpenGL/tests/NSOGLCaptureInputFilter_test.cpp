// The capture input filters: a synthetic camera's frames into the Core Video texture and on
// into a global surface that another process reads; the Core Image path's frame throttle and
// drawing; the Core Image renderer's blend state and surface images.
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <mach/mach_time.h>
#include <mach/mach_time_source.h>

#include <atomic>
#include <cstdlib>
#include <sstream>

#include "ChildProcess.h"
#include "CocoaOpenGLTestSupport.h"
#include "NSOGLRenderTextureIntoIOSurfaceFBO.h"
#include "NSOGLVideoCVInputFilter.h"
#include "NSOGLVideoCaptureInputFilter.h"
#include "PollUntil.h"
#include "RunLoopUntil.h"

const char* g_CoreMachDebug_LogPrefix = "CaptureInputFilterTest";
const char* g_CoreMachDebug_LogFileName = "CaptureInputFilterTest.log";

namespace {

using namespace cocoagltest;
using namespace std::chrono_literals;

struct Cameras {
  explicit Cameras(const char* configuration) { setenv("MOXICAM_SYNTHETIC_CAMERAS", configuration, 1); }
  ~Cameras() {
    unsetenv("MOXICAM_SYNTHETIC_CAMERAS");
    QTCaptureDevice::inputDevices();
  }
};

template <class T>
RefPtr<T> make() {
  return adopt(static_cast<T*>(T::alloc()->init()));
}

// The eight bars of the synthetic camera, left to right, as 'BGRA' words.
const uint32_t kBars[8] = {0xFFFFFFFF, 0xFFFFFF00, 0xFF00FFFF, 0xFF00FF00,
                           0xFFFF00FF, 0xFFFF0000, 0xFF0000FF, 0xFF000000};

// The texture drawn into a new global 1280 x 720 surface, as the sharing ring draws it.
IOSurfaceRef drawIntoGlobalSurface(protocol_NSOGLDynamicTexture* texture) {
  IOSurfaceRef surface =
      NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight_globalShared(1280, 720, true);
  RefPtr<NSOGLRenderTextureIntoIOSurfaceFBO> target(
      NSOGLRenderTextureIntoIOSurfaceFBO::textureWithIOSurface(surface));
  target->setSourceTexture(texture);
  target->renderScene();
  return surface;
}

class NSOGLCaptureInputFilterTest : public GLTest {};

TEST_F(NSOGLCaptureInputFilterTest, CameraFramesReachTheTextureAndAnotherProcess) {
  Cameras cameras("name=Bars,size=1280x720");
  RefPtr<NSOGLVideoCVInputFilter> filter = make<NSOGLVideoCVInputFilter>();
  // Frames before the texture exists are let go without an upload.
  filter->setVideoFrame(nullptr);
  EXPECT_FALSE(filter->outputImageUpdated());
  ASSERT_TRUE(filter->drawableInitialize(nullptr));
  // Selecting the camera puts the black filler in first; the camera's frames follow.
  filter->captureSessionBegin(nullptr);
  filter->setOutputImageUpdated(false);
  ASSERT_TRUE(moxicam::test::pollUntil([&] { return filter->outputImageUpdated(); }, 20s));
  RefPtr<protocol_NSOGLDynamicTexture> output = filter->outputImage();
  ASSERT_TRUE(output);
  EXPECT_EQ(output->textureWidth(), 1280u);
  IOSurfaceRef surface = drawIntoGlobalSurface(output.get());
  // The middle row lies above the moving square in either orientation.
  std::vector<std::string> arguments = {std::to_string(IOSurfaceGetID(surface))};
  for (int bar = 0; bar < 8; ++bar) {
    arguments.push_back(std::to_string(bar * 160 + 80));
    arguments.push_back("360");
  }
  const moxicam::test::ChildResult reader = moxicam::test::runChild(SURFACE_READER_PROGRAM, arguments);
  ASSERT_EQ(reader.exitCode, 0) << reader.err;
  std::istringstream words(reader.out);
  for (uint32_t expected : kBars) {
    uint32_t pixel = 0;
    words >> std::hex >> pixel;
    EXPECT_EQ(pixel, expected) << reader.out;
  }
  CFRelease(surface);

  // Without its camera the channel shows black.
  filter->captureSessionEnd(nullptr);
  EXPECT_TRUE(filter->outputImageUpdated());
  surface = drawIntoGlobalSurface(output.get());
  EXPECT_EQ(surfacePixel(surface, 640, 360), 0xFF000000u);
  CFRelease(surface);
}

TEST_F(NSOGLCaptureInputFilterTest, AClearedFrameUploadsNothing) {
  RefPtr<NSOGLVideoCVInputFilter> filter = make<NSOGLVideoCVInputFilter>();
  ASSERT_TRUE(filter->drawableInitialize(nullptr));
  filter->setOutputImageUpdated(true);
  filter->setVideoFrame(nullptr);
  EXPECT_FALSE(filter->outputImageUpdated());
}

// The host clock by hand, for the frame throttle.
std::atomic<uint64_t> sNow{1'000'000'000};
uint64_t manualClock() { return sNow; }

CVPixelBufferRef solidFrame(uint32_t bgra) {
  CVPixelBufferRef frame = nullptr;
  CVPixelBufferCreate(nullptr, 64, 36, kCVPixelFormatType_32BGRA, nullptr, &frame);
  CVPixelBufferLockBaseAddress(frame, 0);
  auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(frame));
  for (size_t y = 0; y < 36; ++y)
    for (size_t x = 0; x < 64; ++x)
      std::memcpy(base + y * CVPixelBufferGetBytesPerRow(frame) + 4 * x, &bgra, 4);
  CVPixelBufferUnlockBaseAddress(frame, 0);
  return frame;
}

// Runs the main queue up to a block queued now: whatever was queued before it has run.
void drainMainQueue() {
  std::atomic<bool> reached{false};
  dispatch_async(dispatch_get_main_queue(), [&] { reached = true; });
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return reached.load(); }));
}

TEST_F(NSOGLCaptureInputFilterTest, TheCoreImagePathTakesAtMostThirtyFramesASecond) {
  const mach_absolute_time_source_t previous = _mach_absolute_time_set_source(manualClock);
  RefPtr<NSOGLVideoCaptureInputFilter> filter = make<NSOGLVideoCaptureInputFilter>();
  ASSERT_TRUE(filter->drawableInitialize(nullptr));
  IOSurfaceRef surface = filter->frameRenderer()->surface();
  struct Step {
    uint64_t advanceMilliseconds;
    uint32_t colour;
    bool drawn;
  } steps[] = {
      {40, kRed, true},     // a thirtieth of a second after the filter was made
      {20, kGreen, false},  // too soon after the last
      {14, kBlue, true},    // 34 ms after the last one drawn
      {33, kWhite, false},
  };
  uint32_t shown = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.colour);
    sNow += step.advanceMilliseconds * 1'000'000;
    CVPixelBufferRef frame = solidFrame(step.colour);
    filter->setOutputImageUpdated(false);
    filter->captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(nullptr, frame, nullptr,
                                                                              nullptr);
    CVPixelBufferRelease(frame);
    drainMainQueue();
    EXPECT_EQ(filter->outputImageUpdated(), step.drawn);
    if (step.drawn) shown = step.colour;
    // Scaled over the whole 1280 x 720 target.
    EXPECT_EQ(surfacePixel(surface, 0, 0), shown);
    EXPECT_EQ(surfacePixel(surface, 1279, 719), shown);
  }
  _mach_absolute_time_set_source(previous);
}

TEST_F(NSOGLCaptureInputFilterTest, TheCoreImagePathDrawsTheCamerasFrames) {
  Cameras cameras("name=Bars,size=640x480");
  RefPtr<NSOGLVideoCaptureInputFilter> filter = make<NSOGLVideoCaptureInputFilter>();
  ASSERT_TRUE(filter->drawableInitialize(nullptr));
  filter->captureSessionBegin(nullptr);
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return filter->outputImageUpdated(); }));
  filter->captureSessionEnd(nullptr);
  drainMainQueue();
  IOSurfaceRef surface = filter->frameRenderer()->surface();
  for (int bar = 0; bar < 8; ++bar) EXPECT_EQ(surfacePixel(surface, bar * 160 + 80, 360), kBars[bar]) << bar;
}

TEST_F(NSOGLCaptureInputFilterTest, ARenderPassLeavesTheBlendFactorsAsTheyWere) {
  RefPtr<CIContextFBORenderer> renderer(CIContextFBORenderer::rendererWithWidthPixels_heightPixels(32, 16));
  ASSERT_TRUE(renderer);
  EXPECT_EQ(renderer->rendererSizePixels().width, 32);
  glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
  EXPECT_TRUE(renderer->renderToSurfaceWithBlock([](CIContext*) {
    glBlendFunc(GL_ONE, GL_ONE);
    return true;
  }));
  GLint source = 0, destination = 0;
  glGetIntegerv(GL_BLEND_SRC_RGB, &source);
  glGetIntegerv(GL_BLEND_DST_RGB, &destination);
  EXPECT_EQ(source, GL_SRC_ALPHA);
  EXPECT_EQ(destination, GL_ZERO);
  // A frame Core Image cannot wrap is not drawn.
  RefPtr<NSOGLVideoCaptureInputFilter> filter = make<NSOGLVideoCaptureInputFilter>();
  filter->setFrameRenderer(renderer.get());
  CVPixelBufferRef odd = nullptr;
  CVPixelBufferCreate(nullptr, 8, 8, kCVPixelFormatType_24RGB, nullptr, &odd);
  EXPECT_FALSE(filter->renderVideoFrame_withOptions(odd, 0));
  EXPECT_FALSE(filter->outputImageUpdated());
  CVPixelBufferRelease(odd);
}

TEST_F(NSOGLCaptureInputFilterTest, TheSurfaceImageIsAsStoredOrMirrored) {
  RefPtr<CIContextFBORenderer> renderer(CIContextFBORenderer::rendererWithWidthPixels_heightPixels(32, 16));
  ASSERT_TRUE(renderer);
  // Memory row 0 red, the rest blue.
  IOSurfaceRef surface = renderer->surface();
  IOSurfaceLock(surface, 0, nullptr);
  auto* base = static_cast<uint8_t*>(IOSurfaceGetBaseAddress(surface));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      std::memcpy(base + y * IOSurfaceGetBytesPerRow(surface) + 4 * x, y ? &kBlue : &kRed, 4);
  IOSurfaceUnlock(surface, 0, nullptr);
  for (bool flipped : {false, true}) {
    CIImage* image = renderer->surfaceCIImageFlippedUpsideDown(flipped);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->extent().size.height, 16);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef pixels = CGBitmapContextCreate(nullptr, 32, 16, 8, 0, space,
                                                kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    CGColorSpaceRelease(space);
    CIContext::contextWithCGContext_options(pixels, nullptr)
        ->drawImage_inRect_fromRect(image, image->extent(), image->extent());
    uint32_t top = 0;
    std::memcpy(&top, CGBitmapContextGetData(pixels), 4);
    EXPECT_EQ(top, flipped ? kBlue : kRed);
    CGContextRelease(pixels);
  }
}

}  // namespace
