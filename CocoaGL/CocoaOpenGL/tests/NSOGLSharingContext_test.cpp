#include "NSOGLSharingContext.h"

#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSOpenGLView.h>
#include <AppKit/NSWindow.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "CocoaOpenGLTestSupport.h"
#include "NSOGLOffscreenContextWithCGLOffscreenBacking.h"
#include "NSOGLOffscreenContextWithWindowBacking.h"

const char* g_CoreMachDebug_LogPrefix = "SharingContextTest";
const char* g_CoreMachDebug_LogFileName = "SharingContextTest.log";

namespace {

using cocoagltest::GLTest;

TEST(NSOGLSharingContextFormat, AsksForPixelBuffersOnlyWhenTold) {
  const std::vector<NSOpenGLPixelFormatAttribute> plain = {84, 1, 8, 24, 11, 8, 12, 16, 72, 5, 73, 76, 0};
  EXPECT_EQ(NSOGLSharingContext::defaultSharedPixelFormatAttributes(false, CGMainDisplayID()), plain);
  std::vector<NSOpenGLPixelFormatAttribute> buffers = plain;
  buffers.insert(buffers.end() - 1, NSOpenGLPFAPixelBuffer);
  EXPECT_EQ(NSOGLSharingContext::defaultSharedPixelFormatAttributes(true, CGMainDisplayID()), buffers);
  EXPECT_NE(NSOGLSharingContext::defaultSharedPixelFormat(true), nullptr);
}

TEST(NSOGLSharingContextQueue, RunsOneOperationAtATime) {
  NSOperationQueue* queue = NSOGLSharingContext::serializedQueue();
  EXPECT_EQ(queue, NSOGLSharingContext::serializedQueue());
  EXPECT_EQ(queue->maxConcurrentOperationCount(), 1);
}

class NSOGLSharingContextTest : public GLTest {};

TEST_F(NSOGLSharingContextTest, IsOneContextForEveryThread) {
  std::vector<NSOpenGLContext*> answers(6, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < answers.size(); ++i)
    threads.emplace_back([&, i] { answers[i] = NSOGLSharingContext::defaultSharedContext(); });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(std::set<NSOpenGLContext*>(answers.begin(), answers.end()).size(), 1u);
  EXPECT_EQ(answers[0], NSOGLSharingContext::defaultSharedContext());
  EXPECT_EQ(NSOGLSharingContext::existingSharedContextObj(), answers[0]->CGLContextObj());
}

TEST_F(NSOGLSharingContextTest, LivesInAnOffscreenViewOfTheTargetSize) {
  NSOGLOffscreenContextWithWindowBacking* shared =
      NSOGLOffscreenContextWithWindowBacking::sharedTextureContext();
  const CGRect rect = NSOGLOffscreenContextWithWindowBacking::defaultOpenGLTargetRect();
  EXPECT_EQ(rect.size.width, 512);
  EXPECT_EQ(rect.size.height, 512);
  EXPECT_TRUE(CGRectEqualToRect(shared->openGLTargetRect(), rect));
  RefPtr<NSOpenGLView> view = shared->offscreenOpenGLView();
  RefPtr<NSWindow> window = shared->offscreenWindow();
  ASSERT_TRUE(view);
  ASSERT_TRUE(window);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(shared->openGLContext()->view(), view.get());
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 512);
  EXPECT_EQ(viewport[3], 512);
}

TEST_F(NSOGLSharingContextTest, LockIsHandedOutNotTaken) {
  RefPtr<NSRecursiveLock> lock = NSOGLOffscreenContextWithWindowBacking::sharedTextureContext()->lock();
  ASSERT_TRUE(lock);
  bool taken = false;
  std::thread([&] {
    taken = lock->tryLock();
    if (taken) lock->unlock();
  }).join();
  EXPECT_TRUE(taken);
}

// The shared context draws into its view; a flush shows the frame in the view's place of the
// never-shown window's backing store.
TEST_F(NSOGLSharingContextTest, FlushShowsTheFrameInTheOffscreenWindow) {
  NSOGLOffscreenContextWithWindowBacking* shared =
      NSOGLOffscreenContextWithWindowBacking::sharedTextureContext();
  NSOpenGLContext* context = shared->openGLContext();
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, 512, 512);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  context->flushBuffer();
  CGContextRef backing = shared->offscreenWindow()->graphicsContext()->CGContext();
  const auto* pixels = static_cast<const uint8_t*>(CGBitmapContextGetData(backing));
  ASSERT_NE(pixels, nullptr);
  uint32_t centre = 0;
  std::memcpy(&centre, pixels + 256 * CGBitmapContextGetBytesPerRow(backing) + 256 * 4, 4);
  EXPECT_EQ(centre, cocoagltest::kBlue);
}

TEST_F(NSOGLSharingContextTest, NewTargetRectResizesTheDrawable) {
  NSOGLOffscreenContextWithWindowBacking* shared =
      NSOGLOffscreenContextWithWindowBacking::sharedTextureContext();
  shared->setOpenGLTargetRect(CGRectMake(0, 0, 64, 32));
  GLint viewport[4] = {}, colour = 0, width = 0, height = 0;
  glGetIntegerv(GL_VIEWPORT, viewport);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                        GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &colour);
  glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(colour));
  glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
  glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  shared->setOpenGLTargetRect(NSOGLOffscreenContextWithWindowBacking::defaultOpenGLTargetRect());
  EXPECT_EQ(std::vector<GLint>(viewport + 2, viewport + 4), (std::vector<GLint>{64, 32}));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 32);
}

TEST_F(NSOGLSharingContextTest, CGLBackedContextStandsAlone) {
  RefPtr<NSOGLOffscreenContextWithCGLOffscreenBacking> offscreen =
      adopt(NSOGLOffscreenContextWithCGLOffscreenBacking::alloc()->initWithMainDisplayID());
  ASSERT_NE(offscreen->openGLContext(), nullptr);
  EXPECT_NE(offscreen->openGLPixelFormat(), nullptr);
  EXPECT_EQ(offscreen->openGLDisplayID(), CGMainDisplayID());
  RefPtr<NSOGLOffscreenContextWithCGLOffscreenBacking> optimized =
      adopt(NSOGLOffscreenContextWithCGLOffscreenBacking::alloc()->initWithDisplayID_useForSharingContext(
          CGMainDisplayID(), false));
  EXPECT_NE(optimized->openGLContext(), nullptr);
  NSOGLSharingContext::defaultSharedContext()->makeCurrentContext();
}

}  // namespace
