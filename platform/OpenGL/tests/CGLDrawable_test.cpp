#include <OpenGL/CGLDrawable.h>
#include <OpenGL/OpenGL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "GLTestSupport.h"

namespace {

// What the window layer would be shown: the last picture presented.
struct Presented {
  int count = 0;
  size_t width = 0, height = 0;
  std::vector<uint32_t> pixels;  // rows from the top

  static void present(void* info, const void* pixels, size_t width, size_t height, size_t bytesPerRow) {
    auto* self = static_cast<Presented*>(info);
    ++self->count;
    self->width = width;
    self->height = height;
    self->pixels.resize(width * height);
    for (size_t row = 0; row < height; ++row)
      std::memcpy(&self->pixels[row * width], static_cast<const uint8_t*>(pixels) + row * bytesPerRow,
                  width * 4);
  }
  uint32_t at(size_t x, size_t y) const { return pixels.at(y * width + x); }
};

class CGLDrawable : public testing::Test {
 protected:
  gltest::CurrentContext context;
  Presented presented;

  void attach(GLint width, GLint height) {
    ASSERT_EQ(_CGLAttachDrawable(context.get(), width, height, &Presented::present, &presented), kCGLNoError);
  }
};

TEST_F(CGLDrawable, PresentsWhatWasDrawnTopRowFirst) {
  attach(8, 4);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 8);
  EXPECT_EQ(viewport[3], 4);
  gltest::clearRect(0, 0, 8, 2, 1, 0, 0, 1);  // bottom half red
  gltest::clearRect(0, 2, 8, 2, 0, 0, 1, 1);  // top half blue
  EXPECT_EQ(CGLFlushDrawable(context.get()), kCGLNoError);
  ASSERT_EQ(presented.count, 1);
  EXPECT_EQ(presented.width, 8u);
  EXPECT_EQ(presented.height, 4u);
  EXPECT_EQ(presented.at(0, 0), gltest::kBlue);
  EXPECT_EQ(presented.at(7, 3), gltest::kRed);
  glSwapAPPLE();
  EXPECT_EQ(presented.count, 2);
  EXPECT_TRUE(gltest::pendingErrors().empty());
}

TEST_F(CGLDrawable, IsFramebufferZero) {
  attach(4, 4);
  {
    gltest::TextureFramebuffer other(GL_TEXTURE_2D, 4, 4);
    gltest::clearRect(0, 0, 4, 4, 1, 1, 1, 1);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    gltest::clearRect(0, 0, 4, 4, 0, 1, 0, 1);
  }
  CGLFlushDrawable(context.get());
  EXPECT_EQ(presented.at(1, 1), gltest::kGreen);
}

TEST_F(CGLDrawable, IsSharedByEveryThreadOfTheContext) {
  attach(4, 4);
  gltest::clearRect(0, 0, 4, 4, 0, 0, 0, 1);
  glFinish();
  std::thread([&] {
    CGLSetCurrentContext(context.get());
    gltest::clearRect(0, 0, 2, 4, 1, 0, 0, 1);  // left half red, on this thread
    glFinish();
    CGLSetCurrentContext(nullptr);
  }).join();
  CGLFlushDrawable(context.get());
  EXPECT_EQ(presented.at(0, 0), gltest::kRed);
  EXPECT_EQ(presented.at(3, 0), 0xFF000000u);
}

TEST_F(CGLDrawable, BackingSizeOverridesTheAttachedSize) {
  attach(8, 8);
  const GLint backing[2] = {4, 2};
  CGLSetParameter(context.get(), kCGLCPSurfaceBackingSize, backing);
  CGLFlushDrawable(context.get());
  EXPECT_EQ(presented.width, 8u) << "not yet enabled";
  CGLEnable(context.get(), kCGLCESurfaceBackingSize);
  CGLFlushDrawable(context.get());
  EXPECT_EQ(presented.width, 4u);
  EXPECT_EQ(presented.height, 2u);
  CGLDisable(context.get(), kCGLCESurfaceBackingSize);
  CGLFlushDrawable(context.get());
  EXPECT_EQ(presented.height, 8u);
}

TEST_F(CGLDrawable, TakenAwayPresentsNothing) {
  GLint hasDrawable = -1;
  CGLGetParameter(context.get(), kCGLCPHasDrawable, &hasDrawable);
  EXPECT_EQ(hasDrawable, 0);
  attach(4, 4);
  CGLGetParameter(context.get(), kCGLCPHasDrawable, &hasDrawable);
  EXPECT_EQ(hasDrawable, 1);
  EXPECT_EQ(_CGLDetachDrawable(context.get()), kCGLNoError);
  EXPECT_EQ(CGLFlushDrawable(context.get()), kCGLNoError);
  EXPECT_EQ(presented.count, 0);
  GLint bound = -1;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  EXPECT_EQ(bound, 0);
  EXPECT_EQ(_CGLAttachDrawable(nullptr, 4, 4, nullptr, nullptr), kCGLBadContext);
}

}  // namespace
