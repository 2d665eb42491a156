// The plain OpenGL context views: drawn when AppKit asks, reshaped on frame changes, each frame
// ended by the flush policy.
#include "NSUIOGLOrthoUnitView.h"

#include <OpenGL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "DisplayLinkViewTestSupport.h"

const char* g_CoreMachDebug_LogPrefix = "OrthoUnitViewTest";
const char* g_CoreMachDebug_LogFileName = "OrthoUnitViewTest.log";

namespace {

using namespace viewtest;
using cocoagltest::kGreen;
using cocoagltest::kRed;

class NSUIOGLOrthoUnitViewTest : public cocoagltest::GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    window = makeWindow(40, 20);
    view = adopt(static_cast<NSUIOGLOrthoUnitView*>(
        NSUIOGLOrthoUnitView::alloc()->initWithFrame(NSMakeRect(10, 0, 20, 10))));
    window->contentView()->addSubview(view.get());
    scene = makeScene(1, 0, 0);
    view->renderSceneDelegate = scene.get();
  }
  void TearDown() override {
    view = nullptr;
    window = nullptr;
    NSOGLSharingContext::defaultSharedContext()->makeCurrentContext();
    GLTest::TearDown();
  }
  // AppKit's drawing of the view: focus, then drawRect.
  void display() {
    view->lockFocus();
    view->drawRect(view->bounds());
    view->unlockFocus();
  }

  RefPtr<NSWindow> window;
  RefPtr<NSUIOGLOrthoUnitView> view;
  RefPtr<ColourScene> scene;
};

TEST_F(NSUIOGLOrthoUnitViewTest, DrawsItsSceneInItsPlaceWhenAppKitAsks) {
  ASSERT_NE(view->glContext(), nullptr);
  EXPECT_EQ(view->flushFunction(), OpenGL_Flush_None);
  EXPECT_TRUE(view->renderSceneEndFlushOpenGLContext());
  display();
  EXPECT_EQ(scene->frames, 1);
  EXPECT_EQ(scene->lastRect.origin.x, -0.5);
  EXPECT_EQ(windowPixel(window.get(), 15, 5), kRed);
  EXPECT_EQ(windowPixel(window.get(), 5, 5), 0u) << "outside the view";
}

TEST_F(NSUIOGLOrthoUnitViewTest, AFrameChangeReshapesAndRedrawsOnce) {
  display();
  scene->frames = 0;
  view->setFrameSize(NSMakeSize(12, 6));
  EXPECT_EQ(scene->frames, 1);
  view->glContext()->makeCurrentContext();
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 12);
  EXPECT_EQ(viewport[3], 6);
}

TEST_F(NSUIOGLOrthoUnitViewTest, OnlyAFlushingFrameReachesTheWindow) {
  std::vector<bool> blockCalls;
  view->setFlushBlock([&](bool inFlush) { blockCalls.push_back(inFlush); });
  view->lockFocus();
  scene->green = 1;
  view->renderScene(false);
  EXPECT_EQ(windowPixel(window.get(), 15, 5), 0u) << "no flushBuffer without the flag";
  view->setRenderSceneEndFlushOpenGLContext(false);
  view->renderScene(true);
  EXPECT_EQ(windowPixel(window.get(), 15, 5), 0u) << "nor when the view is told not to";
  view->setRenderSceneEndFlushOpenGLContext(true);
  view->setFlushFunction(OpenGL_Flush_FlushGL);
  view->renderScene(true);
  view->unlockFocus();
  EXPECT_EQ(windowPixel(window.get(), 15, 5), 0xFFFFFF00u);
  EXPECT_EQ(blockCalls, (std::vector<bool>{false, true, true}));
  EXPECT_NE(log().find("namespace_OpenGL_FlushFn:OpenGL_Flush_FlushGL:in_flush:1\n"), std::string::npos)
      << log();
}

TEST_F(NSUIOGLOrthoUnitViewTest, OneRendererAndAnExplicitBackingSize) {
  NSArray* names = view->rendererNames();
  ASSERT_EQ(names->count(), 1u);
  view->glContext()->makeCurrentContext();
  EXPECT_STREQ(static_cast<NSString*>(names->objectAtIndex(0))->UTF8String(),
               reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  view->setRendererIndex(0);
  view->lockFocus();
  view->setGLContextBackingDimensions(NSMakeSize(4, 2));
  GLint size[2] = {};
  CGLGetParameter(view->renderContext(), kCGLCPSurfaceBackingSize, size);
  EXPECT_EQ(size[0], 4);
  EXPECT_EQ(size[1], 2);
  view->unlockFocus();
}

}  // namespace
