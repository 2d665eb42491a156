#include <OpenGL/OpenGL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "GLTestSupport.h"
#include "PollUntil.h"

namespace {

using gltest::CurrentContext;

// Draws into a framebuffer of its own and reads it back: what one thread's GL state of a
// context sees, whatever other threads do with theirs.
uint32_t drawAndRead(uint32_t colour) {
  gltest::TextureFramebuffer framebuffer(GL_TEXTURE_2D, 4, 4);
  gltest::clearRect(0, 0, 4, 4, ((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                    (colour & 0xFF) / 255.0f, 1.0f);
  return gltest::readPixel(2, 2);
}

TEST(CGLContext, RendersFromTheRendererOfThisMachine) {
  CurrentContext context;
  ASSERT_NE(context.get(), nullptr);
  EXPECT_EQ(CGLGetCurrentContext(), context.get());
  EXPECT_NE(glGetString(GL_VERSION), nullptr);
  EXPECT_NE(std::string(reinterpret_cast<const char*>(glGetString(GL_VERSION))).find("Compatibility"),
            std::string::npos);
  EXPECT_EQ(drawAndRead(gltest::kGreen), gltest::kGreen);
  EXPECT_TRUE(gltest::pendingErrors().empty());
}

TEST(CGLContext, IsCurrentOnEachThreadOnItsOwn) {
  CurrentContext context;
  CGLContextObj seenOnThread = reinterpret_cast<CGLContextObj>(1);
  std::thread([&] { seenOnThread = CGLGetCurrentContext(); }).join();
  EXPECT_EQ(seenOnThread, nullptr);
  EXPECT_EQ(CGLGetCurrentContext(), context.get());
}

TEST(CGLContext, OneContextDrawsOnSeveralThreadsAtOnce) {
  CGLContextObj ctx = gltest::createContext();
  CGLSetCurrentContext(ctx);
  GLuint shared = 0;
  glGenTextures(1, &shared);
  glBindTexture(GL_TEXTURE_2D, shared);
  glFinish();
  const uint32_t colours[] = {gltest::kRed, gltest::kGreen, gltest::kBlue, gltest::kWhite};
  std::atomic<int> mismatches{0}, errors{0}, unseen{0};
  std::vector<std::thread> threads;
  for (uint32_t colour : colours)
    threads.emplace_back([&, colour] {
      if (CGLSetCurrentContext(ctx) != kCGLNoError) ++errors;
      if (!glIsTexture(shared)) ++unseen;
      for (int round = 0; round < 20; ++round)
        if (drawAndRead(colour) != colour) ++mismatches;
      if (!gltest::pendingErrors().empty()) ++errors;
      CGLSetCurrentContext(nullptr);
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(unseen, 0);
  glDeleteTextures(1, &shared);
  CGLSetCurrentContext(nullptr);
  CGLReleaseContext(ctx);
}

TEST(CGLContext, ObjectsOfOneContextAreEveryContexts) {
  CGLContextObj first = gltest::createContext(), second = gltest::createContext();
  CGLSetCurrentContext(first);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const uint32_t texel = gltest::kBlue;
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &texel);
  glFinish();
  CGLSetCurrentContext(second);
  uint32_t read = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &read);
  EXPECT_EQ(read, texel);
  glDeleteTextures(1, &texture);
  CGLSetCurrentContext(nullptr);
  CGLReleaseContext(first);
  CGLReleaseContext(second);
}

TEST(CGLContext, LockIsRecursiveAndKeepsOtherThreadsOut) {
  CGLContextObj ctx = gltest::createContext();
  ASSERT_EQ(CGLLockContext(ctx), kCGLNoError);
  ASSERT_EQ(CGLLockContext(ctx), kCGLNoError);
  std::atomic<bool> otherHasIt{false};
  std::thread other([&] {
    CGLLockContext(ctx);
    otherHasIt = true;
    CGLUnlockContext(ctx);
  });
  CGLUnlockContext(ctx);
  EXPECT_FALSE(otherHasIt) << "taken while this thread still held it once";
  CGLUnlockContext(ctx);
  EXPECT_TRUE(moxicam::test::pollUntil([&] { return otherHasIt.load(); }));
  other.join();
  CGLReleaseContext(ctx);
}

TEST(CGLContext, StaysAliveWhileCurrent) {
  CGLContextObj ctx = gltest::createContext();
  CGLSetCurrentContext(ctx);
  EXPECT_EQ(CGLGetContextRetainCount(ctx), 2u);
  CGLReleaseContext(ctx);
  EXPECT_EQ(drawAndRead(gltest::kRed), gltest::kRed);
  CGLSetCurrentContext(nullptr);
  EXPECT_EQ(CGLGetCurrentContext(), nullptr);
}

TEST(CGLContext, ThreadThatEndsLetsGoOfItsContext) {
  CGLContextObj ctx = gltest::createContext();
  std::thread([&] {
    CGLSetCurrentContext(ctx);
    drawAndRead(gltest::kGreen);
  }).join();
  EXPECT_EQ(CGLGetContextRetainCount(ctx), 1u);
  CGLReleaseContext(ctx);
}

TEST(CGLContext, DestroyingTheCurrentContextLeavesNoneCurrent) {
  CGLContextObj ctx = gltest::createContext();
  CGLSetCurrentContext(ctx);
  EXPECT_EQ(CGLDestroyContext(ctx), kCGLNoError);
  EXPECT_EQ(CGLGetCurrentContext(), nullptr);
}

TEST(CGLContext, KeepsItsParameters) {
  CGLContextObj ctx = gltest::createContext();
  const struct {
    CGLContextParameter name;
    GLint value;
  } parameters[] = {{kCGLCPSwapInterval, 1}, {kCGLCPSurfaceOrder, -1}, {kCGLCPSurfaceOpacity, 0}};
  for (const auto& parameter : parameters) {
    EXPECT_EQ(CGLSetParameter(ctx, parameter.name, &parameter.value), kCGLNoError);
    GLint value = 42;
    EXPECT_EQ(CGLGetParameter(ctx, parameter.name, &value), kCGLNoError);
    EXPECT_EQ(value, parameter.value);
  }
  const GLint size[2] = {64, 32}, badSize[2] = {0, 32};
  EXPECT_EQ(CGLSetParameter(ctx, kCGLCPSurfaceBackingSize, size), kCGLNoError);
  EXPECT_EQ(CGLSetParameter(ctx, kCGLCPSurfaceBackingSize, badSize), kCGLBadValue);
  GLint readSize[2] = {};
  EXPECT_EQ(CGLGetParameter(ctx, kCGLCPSurfaceBackingSize, readSize), kCGLNoError);
  EXPECT_EQ(readSize[0], 64);
  EXPECT_EQ(readSize[1], 32);
  GLint enabled = -1;
  EXPECT_EQ(CGLEnable(ctx, kCGLCESurfaceBackingSize), kCGLNoError);
  EXPECT_EQ(CGLIsEnabled(ctx, kCGLCESurfaceBackingSize, &enabled), kCGLNoError);
  EXPECT_EQ(enabled, 1);
  EXPECT_EQ(CGLDisable(ctx, kCGLCESurfaceBackingSize), kCGLNoError);
  EXPECT_EQ(CGLIsEnabled(ctx, kCGLCESurfaceBackingSize, &enabled), kCGLNoError);
  EXPECT_EQ(enabled, 0);
  GLint value = 0;
  EXPECT_EQ(CGLSetParameter(ctx, CGLContextParameter(4242), &value), kCGLBadEnumeration);
  EXPECT_EQ(CGLEnable(ctx, kCGLCEMPEngine), kCGLBadEnumeration);
  EXPECT_EQ(CGLSetVirtualScreen(ctx, 0), kCGLNoError);
  EXPECT_EQ(CGLSetVirtualScreen(ctx, 1), kCGLBadValue);
  GLint screen = -1;
  EXPECT_EQ(CGLGetVirtualScreen(ctx, &screen), kCGLNoError);
  EXPECT_EQ(screen, 0);
  CGLReleaseContext(ctx);
}

TEST(CGLContext, NoContextIsReportedNotFollowed) {
  GLint value = 1;
  EXPECT_EQ(CGLLockContext(nullptr), kCGLBadContext);
  EXPECT_EQ(CGLUnlockContext(nullptr), kCGLBadContext);
  EXPECT_EQ(CGLSetParameter(nullptr, kCGLCPSwapInterval, &value), kCGLBadContext);
  EXPECT_EQ(CGLGetParameter(nullptr, kCGLCPSwapInterval, &value), kCGLBadContext);
  EXPECT_EQ(CGLEnable(nullptr, kCGLCESurfaceBackingSize), kCGLBadContext);
  EXPECT_EQ(CGLSetVirtualScreen(nullptr, 0), kCGLBadContext);
  EXPECT_EQ(CGLFlushDrawable(nullptr), kCGLBadContext);
  EXPECT_EQ(CGLDestroyContext(nullptr), kCGLBadContext);
  CGLContextObj ctx = reinterpret_cast<CGLContextObj>(1);
  EXPECT_EQ(CGLCreateContext(nullptr, nullptr, &ctx), kCGLBadPixelFormat);
  EXPECT_EQ(ctx, nullptr);
  EXPECT_STREQ(CGLErrorString(kCGLBadContext), "invalid context");
}

}  // namespace
