#include "namespace_OpenGL_CGLContextState.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CocoaOpenGLTestSupport.h"
#include "NSOGLTextureIOSurfaceFBO.h"
#include "PollUntil.h"
#include "tagOpenGL_FBOState.h"

const char* g_CoreMachDebug_LogPrefix = "CGLContextStateTest";
const char* g_CoreMachDebug_LogFileName = "CGLContextStateTest.log";

namespace {

using cocoagltest::GLTest;

// A context of the shared pixel format (+1).
CGLContextObj newContext() {
  CGLContextObj context = nullptr;
  CGLCreateContext(NSOGLSharingContext::defaultSharedPixelFormat()->CGLPixelFormatObj(), nullptr, &context);
  return context;
}

class CGLContextState : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    first = newContext();
    second = newContext();
  }
  void TearDown() override {
    CGLSetCurrentContext(nullptr);
    CGLReleaseContext(first);
    CGLReleaseContext(second);
    GLTest::TearDown();
  }
  CGLContextObj first = nullptr, second = nullptr;
};

TEST_F(CGLContextState, NestedGuardsRestoreInReverseOrder) {
  CGLSetCurrentContext(first);
  {
    OpenGL::CGLContextState outer(second);
    EXPECT_EQ(CGLGetCurrentContext(), second);
    {
      OpenGL::CGLContextState inner(first);
      EXPECT_EQ(CGLGetCurrentContext(), first);
    }
    EXPECT_EQ(CGLGetCurrentContext(), second);
  }
  EXPECT_EQ(CGLGetCurrentContext(), first);
}

TEST_F(CGLContextState, GuardOfTheCurrentContextMakesItCurrentAgain) {
  CGLSetCurrentContext(first);
  {
    OpenGL::CGLContextState guard;
    CGLSetCurrentContext(second);
  }
  EXPECT_EQ(CGLGetCurrentContext(), first);
}

TEST_F(CGLContextState, GuardOfNothingChangesNothing) {
  CGLSetCurrentContext(first);
  {
    NSOpenGLContext* none = nullptr;
    OpenGL::CGLContextStateLock guard(none);
    EXPECT_EQ(guard.contextObj(), nullptr);
    EXPECT_FALSE(guard.isLocked());
    CGLSetCurrentContext(second);
  }
  EXPECT_EQ(CGLGetCurrentContext(), second);
}

TEST_F(CGLContextState, GuardLeavesItsContextCurrentWhenNoneWasBefore) {
  CGLSetCurrentContext(nullptr);
  { OpenGL::CGLContextState guard(first); }
  EXPECT_EQ(CGLGetCurrentContext(), first);
  CGLSetCurrentContext(nullptr);
  { OpenGL::CGLContextState guard(NSOGLSharingContext::defaultSharedContext()); }
  EXPECT_EQ(CGLGetCurrentContext(), NSOGLSharingContext::defaultSharedContext()->CGLContextObj());
}

TEST_F(CGLContextState, LockGuardWaitsForAnotherThreadsAndNestsOnItsOwn) {
  std::atomic<bool> otherEntered{false};
  std::thread other;
  {
    OpenGL::CGLContextStateLock outer(first);
    ASSERT_TRUE(outer.isLocked());
    {
      OpenGL::CGLContextStateLock inner(first);
      EXPECT_TRUE(inner.isLocked()) << "a nested guard on one thread does not wait";
    }
    other = std::thread([&] {
      OpenGL::CGLContextStateLock guard(first);
      otherEntered = true;
    });
    EXPECT_FALSE(otherEntered) << "entered while this thread's guard holds the lock";
  }
  EXPECT_TRUE(moxicam::test::pollUntil([&] { return otherEntered.load(); }));
  other.join();
}

// Threads rendering into surfaces of their own on the one shared context, each inside a lock
// guard, as the capture queues, the display-link thread and the main thread do.
TEST_F(CGLContextState, LockGuardsOnTheSharedContextFromSeveralThreads) {
  NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext();
  const float colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
  const uint32_t expected[4] = {cocoagltest::kRed, cocoagltest::kGreen, cocoagltest::kBlue,
                                cocoagltest::kWhite};
  std::atomic<int> wrong{0}, errors{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(8, 8);
      RefPtr<NSOGLTextureIOSurfaceFBO> target;
      {
        OpenGL::CGLContextStateLock guard(shared);
        target = adopt(static_cast<NSOGLTextureIOSurfaceFBO*>(
            NSOGLTextureIOSurfaceFBO::alloc()->initWithIOSurface(surface)));
      }
      for (int round = 0; round < 10; ++round) {
        OpenGL::CGLContextStateLock guard(shared);
        target->beginRenderToFrameBuffer();
        glViewport(0, 0, 8, 8);
        glClearColor(colours[t][0], colours[t][1], colours[t][2], 1);
        glClear(GL_COLOR_BUFFER_BIT);
        target->endRenderToFrameBuffer(true);
        if (cocoagltest::surfacePixel(surface, 3, 3) != expected[t]) ++wrong;
        if (!cocoagltest::pendingErrors().empty()) ++errors;
      }
      {
        OpenGL::CGLContextStateLock guard(shared);
        target = nullptr;
      }
      CFRelease(surface);
      CGLSetCurrentContext(nullptr);
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(errors, 0);
}

TEST_F(CGLContextState, FramebufferStateComesBackAsSaved) {
  IOSurfaceRef surface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(4, 4);
  RefPtr<NSOGLTextureIOSurfaceFBO> target = adopt(
      static_cast<NSOGLTextureIOSurfaceFBO*>(NSOGLTextureIOSurfaceFBO::alloc()->initWithIOSurface(surface)));
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target->frameBufferObject());
  glViewport(1, 2, 3, 4);
  tagOpenGL_FBOState state;
  OpenGL_FBOStateSave(&state);
  EXPECT_EQ(state._saveFrameBufferObject, static_cast<int32_t>(target->frameBufferObject()));
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glViewport(0, 0, 9, 9);
  OpenGL_FBOStateRestore(&state);
  GLint bound = 0, viewport[4] = {};
  glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(bound, static_cast<GLint>(target->frameBufferObject()));
  EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{1, 2, 3, 4}));
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  target = nullptr;
  CFRelease(surface);
}

}  // namespace
