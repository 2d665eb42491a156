#include <AppKit/AppKit.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <OpenGL/OpenGL.h>
#include <OpenGL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "Headless.h"
#include "RunLoopUntil.h"

namespace {

NSOpenGLPixelFormat* defaultFormat() { return NSOpenGLView::defaultPixelFormat(); }

RefPtr<NSOpenGLContext> makeContext() {
  return adopt(NSOpenGLContext::alloc()->initWithFormat_shareContext(defaultFormat(), nullptr));
}

// The window's backing store pixel at (x, y) of Cocoa's coordinates (y up), as 0xAARRGGBB.
uint32_t windowPixel(NSWindow* window, int x, int y) {
  CGContextRef backing = window->graphicsContext()->CGContext();
  const size_t row = CGBitmapContextGetHeight(backing) - 1 - static_cast<size_t>(y);
  uint32_t pixel = 0;
  std::memcpy(&pixel,
              static_cast<const uint8_t*>(CGBitmapContextGetData(backing)) +
                  row * CGBitmapContextGetBytesPerRow(backing) + x * 4,
              4);
  return pixel;
}

void clear(float r, float g, float b) {
  glClearColor(r, g, b, 1);
  glClear(GL_COLOR_BUFFER_BIT);
}

TEST(NSOpenGLPixelFormat, ChoosesOrAnswersNull) {
  const NSOpenGLPixelFormatAttribute wanted[] = {NSOpenGLPFADepthSize, 16, NSOpenGLPFADoubleBuffer, 0};
  RefPtr<NSOpenGLPixelFormat> format = adopt(NSOpenGLPixelFormat::alloc()->initWithAttributes(wanted));
  ASSERT_TRUE(format);
  EXPECT_EQ(format->numberOfVirtualScreens(), 1);
  GLint depth = 0;
  format->getValues_forAttribute_forVirtualScreen(&depth, NSOpenGLPFADepthSize, 0);
  EXPECT_EQ(depth, 16);
  const NSOpenGLPixelFormatAttribute impossible[] = {NSOpenGLPFADepthSize, 64, 0};
  EXPECT_EQ(NSOpenGLPixelFormat::alloc()->initWithAttributes(impossible), nullptr);
  EXPECT_EQ(NSOpenGLPixelFormat::alloc()->initWithCGLPixelFormatObj(nullptr), nullptr);
}

TEST(NSOpenGLContext, CurrentContextFollowsCGL) {
  RefPtr<NSOpenGLContext> context = makeContext();
  ASSERT_TRUE(context);
  EXPECT_EQ(context->pixelFormat()->CGLPixelFormatObj(), CGLGetPixelFormat(context->CGLContextObj()));
  context->makeCurrentContext();
  EXPECT_EQ(NSOpenGLContext::currentContext(), context.get());
  CGLSetCurrentContext(nullptr);
  EXPECT_EQ(NSOpenGLContext::currentContext(), nullptr);
  CGLSetCurrentContext(context->CGLContextObj());
  EXPECT_EQ(NSOpenGLContext::currentContext(), context.get());
  NSOpenGLContext::clearCurrentContext();
  EXPECT_EQ(CGLGetCurrentContext(), nullptr);
  RefPtr<NSOpenGLContext> wrapped =
      adopt(NSOpenGLContext::alloc()->initWithCGLContextObj(context->CGLContextObj()));
  EXPECT_EQ(wrapped->CGLContextObj(), context->CGLContextObj());
  EXPECT_EQ(NSOpenGLContext::alloc()->initWithFormat_shareContext(nullptr, nullptr), nullptr);
}

TEST(NSOpenGLContext, ParametersAndVirtualScreens) {
  RefPtr<NSOpenGLContext> context = makeContext();
  const GLint interval = 1;
  context->setValues_forParameter(&interval, NSOpenGLCPSwapInterval);
  GLint read = 0;
  context->getValues_forParameter(&read, NSOpenGLCPSwapInterval);
  EXPECT_EQ(read, 1);
  context->setCurrentVirtualScreen(0);
  EXPECT_EQ(context->currentVirtualScreen(), 0);
}

class OpenGLViewInWindow : public testing::Test {
 protected:
  void SetUp() override {
    window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
        NSMakeRect(0, 0, 40, 30), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
    view = adopt(static_cast<NSOpenGLView*>(NSOpenGLView::alloc()->initWithFrame(NSMakeRect(10, 5, 20, 10))));
    window->contentView()->addSubview(view.get());
  }
  void TearDown() override {
    view->clearGLContext();
    NSOpenGLContext::clearCurrentContext();
  }
  RefPtr<NSWindow> window;
  RefPtr<NSOpenGLView> view;
};

TEST_F(OpenGLViewInWindow, FlushShowsTheDrawableInTheViewsPlace) {
  NSOpenGLContext* context = view->openGLContext();
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(context->view(), view.get());
  context->makeCurrentContext();
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 20);
  EXPECT_EQ(viewport[3], 10);
  // Left half green, right half red; GL's origin is the view's bottom left.
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 10, 10);
  clear(0, 1, 0);
  glScissor(10, 0, 10, 10);
  clear(1, 0, 0);
  glDisable(GL_SCISSOR_TEST);
  context->flushBuffer();
  EXPECT_EQ(windowPixel(window.get(), 11, 6), 0xFF00FF00u);
  EXPECT_EQ(windowPixel(window.get(), 28, 14), 0xFFFF0000u);
  EXPECT_EQ(windowPixel(window.get(), 5, 5), 0u) << "outside the view";
}

TEST_F(OpenGLViewInWindow, FlushFromAnotherThreadReachesTheWindowOnTheMainThread) {
  NSOpenGLContext* context = view->openGLContext();
  std::thread([&] {
    context->makeCurrentContext();
    clear(0, 0, 1);
    context->flushBuffer();
    NSOpenGLContext::clearCurrentContext();
  }).join();
  EXPECT_TRUE(moxicam::test::runLoopUntil([&] { return windowPixel(window.get(), 20, 10) == 0xFF0000FFu; }));
}

// A flush while a view's drawing has moved the backing store's coordinates (as AppKit's
// display does around drawRect) still lands in the GL view's place.
TEST_F(OpenGLViewInWindow, FlushDuringAFocusLandsInTheViewsPlace) {
  NSOpenGLContext* context = view->openGLContext();
  context->makeCurrentContext();
  clear(0, 1, 0);
  view->lockFocus();
  context->flushBuffer();
  view->unlockFocus();
  EXPECT_EQ(windowPixel(window.get(), 11, 6), 0xFF00FF00u);
  EXPECT_EQ(windowPixel(window.get(), 29, 14), 0xFF00FF00u);
  EXPECT_EQ(windowPixel(window.get(), 35, 5), 0u) << "nothing beyond the view";
}

TEST_F(OpenGLViewInWindow, ResizedViewGivesTheDrawableItsSize) {
  NSOpenGLContext* context = view->openGLContext();
  view->setFrameSize(NSMakeSize(30, 20));
  context->makeCurrentContext();
  clear(1, 1, 1);
  context->flushBuffer();
  EXPECT_EQ(windowPixel(window.get(), 39, 24), 0xFFFFFFFFu);
}

TEST_F(OpenGLViewInWindow, ViewContentsBecomeATextureOfTheirSize) {
  NSOpenGLContext* context = view->openGLContext();
  context->makeCurrentContext();
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
  context->createTexture_fromView_internalFormat(GL_TEXTURE_RECTANGLE_ARB, window->contentView(), GL_RGBA);
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 40);
  glDeleteTextures(1, &texture);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OpenGLViewInWindow, ContextWithoutViewPresentsNothing) {
  NSOpenGLContext* context = view->openGLContext();
  context->clearDrawable();
  EXPECT_EQ(context->view(), nullptr);
  context->makeCurrentContext();
  clear(1, 0, 0);
  context->flushBuffer();
  EXPECT_EQ(windowPixel(window.get(), 20, 10), 0u);
}

}  // namespace
