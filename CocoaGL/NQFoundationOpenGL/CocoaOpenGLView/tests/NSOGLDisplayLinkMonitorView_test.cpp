// A channel's monitor view as the application drives it: on a tick of the display link, the
// camera frame goes through the camera filter and the chroma key, and the keyed picture shows
// over black in the view's place in the window.
#include <gtest/gtest.h>

#include "../../../CocoaOpenGL/tests/KeyingTestSupport.h"
#include "DisplayLinkViewTestSupport.h"
#include "NSOGLDisplayLinkMasterOrSlaveView.h"

const char* g_CoreMachDebug_LogPrefix = "MonitorViewTest";
const char* g_CoreMachDebug_LogFileName = "MonitorViewTest.log";

// The monitor's scene: the chain run on the frame, its output drawn over black.
class KeyingScene : public NSObject, public protocol_NSOGLRenderSceneDelegate {
  OBJC_CLASS_DECL(KeyingScene, NSObject)

 public:
  bool renderScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) override {
    ++frames;
    rendered = chain->render(frame);
    renderer->drawableDrawQuad_color_R_G_B_A(rect, 0, 0, 0, 1);
    renderer->drawableDrawQuad_texture(rect, chain->key->outputImage().get());
    return true;
  }

  cocoagltest::KeyingChain* chain = nullptr;
  CVPixelBufferRef frame = nullptr;
  int frames = 0;
  bool rendered = false;

 protected:
  KeyingScene() = default;
};
OBJC_CLASS_DEFINE(KeyingScene)

namespace {

using namespace cocoagltest;

class NSOGLMonitorViewTest : public GLTest {};

TEST_F(NSOGLMonitorViewTest, ATickKeysTheCameraFrameIntoTheMonitorView) {
  _CVDisplayLinkSetManualTicks(true);
  CVPixelBufferRef frame = createGreenScreenFrame(64, 36);
  {
    KeyingChain chain;
    RefPtr<NSWindow> window = viewtest::makeWindow(64, 36);
    RefPtr<NSUIDisplayLinkViewController> controller =
        adopt(static_cast<NSUIDisplayLinkViewController*>(NSUIDisplayLinkViewController::alloc()->init()));
    RefPtr<NSOGLDisplayLinkMasterOrSlaveView> view = adopt(static_cast<NSOGLDisplayLinkMasterOrSlaveView*>(
        NSOGLDisplayLinkMasterOrSlaveView::alloc()->initWithFrame(NSMakeRect(0, 0, 64, 36))));
    RefPtr<KeyingScene> scene = adopt(static_cast<KeyingScene*>(KeyingScene::alloc()->init()));
    scene->chain = &chain;
    scene->frame = frame;
    window->contentView()->addSubview(view.get());
    view->outletDisplayLink = controller.get();
    view->renderSceneDelegate = scene.get();
    view->awakeFromNib();
    controller->setMasterDisplayLinkViewDelegate(view.get());
    view->displayLinkViewDidFinishStartup(nullptr);
    ASSERT_TRUE(controller->isDisplayLinkRunning());

    ASSERT_EQ(_CVDisplayLinkTick(controller->displayLink(), 1000), kCVReturnSuccess);
    EXPECT_EQ(scene->frames, 1) << "one tick, one frame";
    EXPECT_TRUE(scene->rendered);
    const uint32_t subject = viewtest::windowPixel(window.get(), 16, 10);
    EXPECT_NEAR(redOf(subject), 255, 2);
    EXPECT_NEAR(greenOf(subject), 0, 2);
    EXPECT_EQ(viewtest::windowPixel(window.get(), 35, 18), 0xFF000000u) << "the screen is keyed out to black";
    const uint32_t patch = viewtest::windowPixel(window.get(), 51, 29);
    EXPECT_NEAR(greenOf(patch), 255, 2) << "the white patch high on the right stays there";

    view->removeFromSuperview();
    view = nullptr;
    EXPECT_FALSE(controller->isDisplayLinkRunning());
  }
  CVPixelBufferRelease(frame);
  _CVDisplayLinkSetManualTicks(false);
  NSOGLSharingContext::defaultSharedContext()->makeCurrentContext();
}

}  // namespace
