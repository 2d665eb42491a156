// The sharing controller and its ring: which surface each frame goes to, what the outputs
// hear, the publish lines, and a ring that could not be made whole.
#include "IOSurfaceSharingController.h"

#include <CaptureOutput.h>
#include <CoreMachDebug.h>
#include <Foundation/NSString.h>
#include <OpenGL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NSOGLRenderTextureIntoIOSurfaceFBO.h"
#include "NSOGLSharingContext.h"
#include "RecordingOutput.h"
#include "namespace_OpenGL_CGLContextState.h"

namespace {

// Draws frame n as one colour whose blue byte is n, with GL into the texture's framebuffer.
class ClearingDelegate : public NSObject, public IOSurfaceSharingControllerDelegate {
  OBJC_CLASS_DECL(ClearingDelegate, NSObject)

 public:
  void surfaceSharing_renderSurface(IOSurfaceSharingController*, NSOGLTextureIOSurface* texture) override {
    ++frames;
    auto* target = dynamic_cast<NSOGLTextureIOSurfaceFBO*>(texture);
    if (!target) return;
    OpenGL::CGLContextStateLock guard(NSOGLSharingContext::defaultSharedContext());
    target->beginRenderToFrameBuffer();
    glClearColor(0.0f, 0.5f, float(frames) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    target->endRenderToFrameBuffer(false);
  }
  int frames = 0;
};
OBJC_CLASS_DEFINE(ClearingDelegate)

// The application's controller: the base class's switches.
class WindowlessController : public IOSurfaceSharingController {
  OBJC_CLASS_DECL(WindowlessController, IOSurfaceSharingController)
};
OBJC_CLASS_DEFINE(WindowlessController)

class WindowController : public IOSurfaceSharingController {
  OBJC_CLASS_DECL(WindowController, IOSurfaceSharingController)

 public:
  struct Meta : IOSurfaceSharingController::Meta {
    bool shouldPublishNSWindowServer(Class) const override { return true; }
  };
};
OBJC_CLASS_DEFINE(WindowController)

// A surface texture that cannot be made every second time: a ring of two gets one texture.
class EverySecondTexture : public NSOGLRenderTextureIntoIOSurfaceFBO {
  OBJC_CLASS_DECL(EverySecondTexture, NSOGLRenderTextureIntoIOSurfaceFBO)

 public:
  NSOGLTextureIOSurface* initWithIOSurface_manageUseCount(IOSurfaceRef surface, bool manage) override {
    if (++sMade % 2 == 0) {
      release();
      return nullptr;
    }
    return NSOGLRenderTextureIntoIOSurfaceFBO::initWithIOSurface_manageUseCount(surface, manage);
  }
  static inline int sMade = 0;
};
OBJC_CLASS_DEFINE(EverySecondTexture)

uint32_t firstPixel(IOSurfaceRef surface) {
  IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr);
  const uint32_t pixel = *static_cast<const uint32_t*>(IOSurfaceGetBaseAddress(surface));
  IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
  return pixel;
}

class ControllerTest : public testing::Test {
 protected:
  // A controller of the class, published with the texture class, a recording output among
  // its outputs; answers what was logged while publishing.
  std::string publish(Class controllerClass, Class textureClass) {
    controller =
        adopt(static_cast<IOSurfaceSharingController*>(class_createInstance(controllerClass)->init()));
    controller->serverOutputs()->addServerOutput(recorder.get());
    return moxicam::test::captureStandardError(
        [&] { controller->publishServerWithTextureClass(textureClass); });
  }
  static size_t count(const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++found;
    return found;
  }

  objc::AutoreleasePool pool;
  RefPtr<RecordingOutput> recorder = RefPtr<RecordingOutput>(RecordingOutput::answering(true));
  RefPtr<IOSurfaceSharingController> controller;
};

TEST_F(ControllerTest, FramesAlternateBetweenTheTwoSurfacesThatOthersCanFind) {
  const std::string log =
      publish(WindowlessController::class_(), NSOGLRenderTextureIntoIOSurfaceFBO::class_());
  EXPECT_EQ(count(log,
                  " -[IOSurfaceSharingController publishServerWithTextureClass:] "
                  "shouldPublishMachMessagingServer=1\n"),
            1u)
      << log;
  EXPECT_EQ(
      count(
          log,
          " -[IOSurfaceSharingController publishServerWithTextureClass:] shouldPublishUDPNetworkServer=1\n"),
      1u)
      << log;
  EXPECT_EQ(count(log, "shouldPublish"), 2u) << log;
  EXPECT_EQ(recorder->calls, std::vector<std::string>{"outputConnect"});

  // The ring: two global 1280 x 720 'BGRA' surfaces.
  NSArray* textures = controller->surfaceTextures()->surfaceTextures();
  ASSERT_EQ(textures->count(), 2u);
  uint32_t ids[2];
  for (int i = 0; i < 2; ++i) {
    RefPtr<__IOSurface> surface =
        adopt(static_cast<NSOGLTextureIOSurface*>(textures->objectAtIndex(i))->surfaceCopy());
    ids[i] = IOSurfaceGetID(surface.get());
    EXPECT_EQ(IOSurfaceGetWidth(surface.get()), 1280u);
    EXPECT_EQ(IOSurfaceGetHeight(surface.get()), 720u);
    EXPECT_EQ(IOSurfaceGetPixelFormat(surface.get()), 0x42475241u);
  }

  RefPtr<ClearingDelegate> delegate =
      adopt(static_cast<ClearingDelegate*>(ClearingDelegate::alloc()->init()));
  controller->setDelegate(delegate.get());
  for (int frame = 1; frame <= 3; ++frame) {
    controller->broadcastNextSurface_render(true, true);
    // The surface holds the frame when the outputs hear of it, for any reader of its id.
    RefPtr<__IOSurface> found = adopt(IOSurfaceLookup(recorder->surfaces.back()));
    ASSERT_TRUE(found);
    EXPECT_EQ(firstPixel(found.get()), 0xFF008000u | uint32_t(frame)) << frame;
  }
  EXPECT_EQ(recorder->surfaces, (std::vector<uint32_t>{ids[0], ids[1], ids[0]}));
  EXPECT_EQ(controller->nextSurfaceIndex(), 3u);

  // Without a delegate (or without drawing) the surface still goes out, as it stands.
  controller->setDelegate(nullptr);
  controller->broadcastNextSurface_render(true, true);
  controller->broadcastNextSurface_render(true, false);
  EXPECT_EQ(recorder->surfaces, (std::vector<uint32_t>{ids[0], ids[1], ids[0], ids[1], ids[0]}));
  EXPECT_EQ(delegate->frames, 3);

  controller->applicationWillTerminate(nullptr);
  EXPECT_EQ(recorder->calls.back(), "outputDisconnect");
}

TEST_F(ControllerTest, WindowSwitchAddsTheWindowOutputWhereThereIsOne) {
  const std::string log = publish(WindowController::class_(), NSOGLRenderTextureIntoIOSurfaceFBO::class_());
  EXPECT_EQ(count(log, "shouldPublishNSWindowServer=1\n"), 1u) << log;
  EXPECT_EQ(count(log, "shouldPublish"), 3u) << log;
  const bool hasWindowOutput = objc_getClass("IOSurfaceSharingNSWindowServer") != nullptr;
  const bool hasMachOutput = objc_getClass("IOSurfaceSharingServerOutputMachMessage") != nullptr;
  // The recorder, the UDP output, and the others this program has.
  EXPECT_EQ(controller->serverOutputs()->serverOutputs()->count(), 2u + hasWindowOutput + hasMachOutput);
}

// A position of the ring that could not be made shortens the ring; frames go on through the
// surfaces there are.
TEST_F(ControllerTest, RingWithAMissingSurfaceGoesOn) {
  EverySecondTexture::sMade = 0;
  publish(WindowlessController::class_(), EverySecondTexture::class_());
  ASSERT_EQ(controller->surfaceTextures()->surfaceTextures()->count(), 1u);
  for (int frame = 0; frame < 4; ++frame) controller->broadcastNextSurface_render(true, false);
  ASSERT_EQ(recorder->surfaces.size(), 4u);
  EXPECT_EQ(recorder->surfaces, std::vector<uint32_t>(4, recorder->surfaces[0]));
  EXPECT_EQ(controller->nextSurfaceIndex(), 4u);
}

// A class that makes no surface textures gives an empty ring: nothing is broadcast, the
// delegate is still asked (with no texture), and nothing breaks.
TEST_F(ControllerTest, RingWithoutTexturesBroadcastsNothing) {
  publish(WindowlessController::class_(), NSObject::class_());
  RefPtr<ClearingDelegate> delegate =
      adopt(static_cast<ClearingDelegate*>(ClearingDelegate::alloc()->init()));
  controller->setDelegate(delegate.get());
  controller->broadcastNextSurface_render(true, true);
  EXPECT_TRUE(recorder->surfaces.empty());
  EXPECT_EQ(delegate->frames, 1);
  EXPECT_EQ(controller->nextSurfaceIndex(), 0u);
  EXPECT_FALSE(controller->surfaceTextures()->textureWithIndex(0));

  RefPtr<IOSurfaceServerTextureQueue> empty = adopt(
      IOSurfaceServerTextureQueue::alloc()->initWithTextureClass_queueCount_surfaceSize_surfacePixelFormat(
          NSOGLRenderTextureIntoIOSurfaceFBO::class_(), 0, CGSize{16, 16}, 0x42475241));
  EXPECT_FALSE(empty->textureWithIndex(7));
  EXPECT_EQ(empty->surfaceTextures()->count(), 0u);
}

}  // namespace
