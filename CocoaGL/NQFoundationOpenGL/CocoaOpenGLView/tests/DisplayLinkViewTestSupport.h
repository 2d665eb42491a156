#pragma once
// What the view tests share: a window whose backing store they read, a scene delegate that
// counts its calls and fills the view with one colour, and a display-link controller ticked
// by hand. (One test program includes this header once, so the class is defined here.)
#include <AppKit/AppKit.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreVideo/CVDisplayLink.h>

#include <atomic>
#include <cstring>

#include "../../../CocoaOpenGL/tests/CocoaOpenGLTestSupport.h"
#include "NSUIDisplayLinkViewController.h"
#include "protocol_NSOGLRenderScene.h"

// Draws the whole drawable in its colour and counts the frames it drew.
class ColourScene : public NSObject, public protocol_NSOGLRenderSceneDelegate {
  OBJC_CLASS_DECL(ColourScene, NSObject)

 public:
  bool renderScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) override {
    ++frames;
    lastRect = rect;
    renderer->drawableDrawQuad_color_R_G_B_A(rect, red, green, blue, 1);
    return true;
  }

  std::atomic<int> frames{0};
  CGRect lastRect{};
  float red = 0, green = 0, blue = 0;

 protected:
  ColourScene() = default;
};

OBJC_CLASS_DEFINE(ColourScene)

namespace viewtest {

inline RefPtr<ColourScene> makeScene(float red, float green, float blue) {
  RefPtr<ColourScene> scene = adopt(static_cast<ColourScene*>(ColourScene::alloc()->init()));
  scene->red = red;
  scene->green = green;
  scene->blue = blue;
  return scene;
}

inline RefPtr<NSWindow> makeWindow(CGFloat width, CGFloat height) {
  return adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(0, 0, width, height), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
}

// The window's backing store pixel at (x, y) of Cocoa's coordinates (y up), as 0xAARRGGBB.
inline uint32_t windowPixel(NSWindow* window, int x, int y) {
  CGContextRef backing = window->graphicsContext()->CGContext();
  const size_t row = CGBitmapContextGetHeight(backing) - 1 - static_cast<size_t>(y);
  uint32_t pixel = 0;
  std::memcpy(&pixel,
              static_cast<const uint8_t*>(CGBitmapContextGetData(backing)) +
                  row * CGBitmapContextGetBytesPerRow(backing) + x * 4,
              4);
  return pixel;
}

}  // namespace viewtest
