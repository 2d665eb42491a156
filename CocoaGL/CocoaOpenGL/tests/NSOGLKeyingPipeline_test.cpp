// A synthetic green-screen frame through the camera filter and the chroma key, and the keyed
// frame on to a global surface that another process reads.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "KeyingTestSupport.h"
#include "NSOGLRenderTextureIntoIOSurfaceFBO.h"

const char* g_CoreMachDebug_LogPrefix = "KeyingPipelineTest";
const char* g_CoreMachDebug_LogFileName = "KeyingPipelineTest.log";

namespace {

using namespace cocoagltest;

// Where to look, by shares of the picture from its top left.
constexpr double kSubjectX = 0.25, kSubjectY = 0.72, kPatchX = 0.8, kPatchY = 0.2, kScreenX = 0.55,
                 kScreenY = 0.5;

class NSOGLKeyingPipelineTest : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    mFrame = createGreenScreenFrame(160, 90);
  }
  void TearDown() override {
    CVPixelBufferRelease(mFrame);
    GLTest::TearDown();
  }
  CVPixelBufferRef mFrame = nullptr;
};

TEST_F(NSOGLKeyingPipelineTest, TheGreenGoesAndTheSubjectStays) {
  KeyingChain chain;
  ASSERT_TRUE(chain.render(mFrame));
  EXPECT_EQ(alphaOf(chain.keyedPixel(kScreenX, kScreenY)), 0) << "the screen is keyed out";
  const uint32_t subject = chain.keyedPixel(kSubjectX, kSubjectY);
  EXPECT_EQ(alphaOf(subject), 255);
  EXPECT_NEAR(redOf(subject), 255, 2);
  EXPECT_NEAR(greenOf(subject), 0, 2);
  EXPECT_NEAR(alphaOf(chain.keyedPixel(kPatchX, kPatchY)), 255, 1) << "white is no key colour";
  EXPECT_NEAR(greenOf(chain.keyedPixel(kPatchX, kPatchY)), 255, 2);
}

// Each case changes one control and says what the subject, the patch and the screen become.
TEST_F(NSOGLKeyingPipelineTest, BypassesFlipsAndBackgroundsDoAsTheirControlsSay) {
  struct Case {
    const char* name;
    void (*change)(KeyingChain&);
    // Expected pixels at the subject's place, the patch's place and the screen; 0 = transparent.
    uint32_t atSubject, atPatch, atScreen;
  } cases[] = {
      {"removal bypassed: the adjusted picture with its own alpha",
       [](KeyingChain& c) { c.key->setKeyRemovalBypass(true); }, kSubjectRed, kPatchWhite, kScreenGreen},
      {"channel bypassed: the unkeyed picture", [](KeyingChain& c) { c.key->setKeyChannelBypass(true); },
       kSubjectRed, kPatchWhite, kScreenGreen},
      // Mirrored left to right, the subject lies where the patch's column was mirrored to.
      {"horizontal flip", [](KeyingChain& c) { c.camera->setCameraFlipHorizontal(true); }, 0, 0, 0},
      {"vertical flip", [](KeyingChain& c) { c.camera->setCameraFlipVertical(true); }, 0, 0, 0},
      {"colour background",
       [](KeyingChain& c) {
         c.key->setKeyBackgroundMode(NSOGLChromaKeyShaderController::kBackgroundColor);
         c.key->setKeyBackgroundColor(NSColor::colorWithCalibratedRed_green_blue_alpha(0, 0, 1, 1));
       },
       kSubjectRed, kPatchWhite, 0xFF0000FF},
      {"transparent background",
       [](KeyingChain& c) {
         c.key->setKeyBackgroundMode(NSOGLChromaKeyShaderController::kBackgroundTransparent);
       },
       kSubjectRed, kPatchWhite, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KeyingChain chain;
    c.change(chain);
    ASSERT_TRUE(chain.render(mFrame));
    auto expectPixel = [](uint32_t got, uint32_t wanted, const char* where) {
      if (wanted == 0) {
        EXPECT_EQ(alphaOf(got), 0) << where;
        return;
      }
      EXPECT_NEAR(alphaOf(got), alphaOf(wanted), 1) << where;
      EXPECT_NEAR(redOf(got), redOf(wanted), 2) << where;
      EXPECT_NEAR(greenOf(got), greenOf(wanted), 2) << where;
      EXPECT_NEAR(blueOf(got), blueOf(wanted), 2) << where;
    };
    if (c.atSubject == 0) {
      // The flips: the subject and the patch move to their mirrored places.
      const bool horizontal = std::string(c.name) == "horizontal flip";
      const double sx = horizontal ? 1.0 - kSubjectX : kSubjectX,
                   sy = horizontal ? kSubjectY : 1.0 - kSubjectY;
      const double px = horizontal ? 1.0 - kPatchX : kPatchX, py = horizontal ? kPatchY : 1.0 - kPatchY;
      expectPixel(chain.keyedPixel(sx, sy), kSubjectRed, "the subject's mirrored place");
      expectPixel(chain.keyedPixel(px, py), kPatchWhite, "the patch's mirrored place");
      expectPixel(chain.keyedPixel(kSubjectX, kSubjectY), 0, "the subject's old place");
      continue;
    }
    expectPixel(chain.keyedPixel(kSubjectX, kSubjectY), c.atSubject, "subject");
    expectPixel(chain.keyedPixel(kPatchX, kPatchY), c.atPatch, "patch");
    expectPixel(chain.keyedPixel(kScreenX, kScreenY), c.atScreen, "screen");
  }
}

// A half-keyed colour over an opaque background: the background shows through by half, and the
// frame stays opaque (its alpha is not weighted by itself a second time).
TEST_F(NSOGLKeyingPipelineTest, OverAnOpaqueBackgroundAHalfKeyedFrameStaysOpaque) {
  const uint32_t paleGreen = 0xFF80CC80;
  CVPixelBufferRef frame = createGreenScreenFrame(16, 9, paleGreen);
  KeyingChain transparent;
  transparent.key->setKeyBackgroundMode(NSOGLChromaKeyShaderController::kBackgroundTransparent);
  ASSERT_TRUE(transparent.render(frame));
  const int partial = alphaOf(transparent.keyedPixel(0.5, 0.5));
  ASSERT_GT(partial, 40) << "the colour lies in the key's soft edge";
  ASSERT_LT(partial, 215);
  KeyingChain opaque;
  opaque.key->setKeyBackgroundMode(NSOGLChromaKeyShaderController::kBackgroundColor);
  opaque.key->setKeyBackgroundColor(NSColor::colorWithCalibratedRed_green_blue_alpha(0, 0, 0, 1));
  ASSERT_TRUE(opaque.render(frame));
  const uint32_t over = opaque.keyedPixel(0.5, 0.5);
  EXPECT_NEAR(alphaOf(over), 255, 1);
  // Over black the colour is the premultiplied one of the transparent case.
  const uint32_t alone = transparent.keyedPixel(0.5, 0.5);
  EXPECT_NEAR(greenOf(over), greenOf(alone), 2);
  CVPixelBufferRelease(frame);
}

// The keyed frame drawn turned into a global surface, as the sharing ring draws it; another
// process finds the subject in the lower left of the picture, whose top row is memory row 0.
TEST(NSOGLKeyingPipelineAcrossProcesses, AnotherProcessReadsTheKeyedFrame) {
  NSOGLSharingContext::defaultSharedContext()->makeCurrentContext();
  CVPixelBufferRef frame = createGreenScreenFrame(160, 90);
  KeyingChain chain;
  ASSERT_TRUE(chain.render(frame));
  IOSurfaceRef surface =
      NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight_globalShared(1280, 720, true);
  RefPtr<NSOGLRenderTextureIntoIOSurfaceFBO> ring(
      NSOGLRenderTextureIntoIOSurfaceFBO::textureWithIOSurface(surface));
  RefPtr<protocol_NSOGLDynamicTexture> keyed = chain.key->outputImage();
  ring->setSourceTexture(keyed.get());
  keyed->setFlipVertical(true);
  ring->renderScene();
  keyed->setFlipVertical(false);
  auto at = [](double x, double yFromTop) {
    return std::vector<std::string>{std::to_string(int(x * 1280)), std::to_string(int(yFromTop * 720))};
  };
  std::vector<std::string> arguments = {std::to_string(IOSurfaceGetID(surface))};
  for (const auto& place : {at(kSubjectX, kSubjectY), at(kPatchX, kPatchY), at(kScreenX, kScreenY)})
    arguments.insert(arguments.end(), place.begin(), place.end());
  const moxicam::test::ChildResult reader = moxicam::test::runChild(SURFACE_READER_PROGRAM, arguments);
  ASSERT_EQ(reader.exitCode, 0) << reader.err;
  std::istringstream words(reader.out);
  uint32_t subject = 0, patch = 0, screen = 0;
  words >> std::hex >> subject >> patch >> screen;
  EXPECT_EQ(alphaOf(subject), 255) << reader.out;
  EXPECT_NEAR(redOf(subject), 255, 2) << reader.out;
  EXPECT_NEAR(blueOf(patch), 255, 2) << reader.out;
  EXPECT_EQ(alphaOf(screen), 0) << reader.out;
  ring = nullptr;
  CFRelease(surface);
  CVPixelBufferRelease(frame);
}

}  // namespace
