#include <OpenGL/CGLIOSurface.h>
#include <OpenGL/OpenGL.h>
#include <gtest/gtest.h>

#include <vector>

#include "GLTestSupport.h"

namespace {

using gltest::kBlue;
using gltest::kGreen;
using gltest::kRed;

// A rectangle texture showing a surface, and a framebuffer drawing into it.
class SurfaceTexture {
 public:
  explicit SurfaceTexture(IOSurfaceRef surface)
      : mWidth(IOSurfaceGetWidth(surface)), mHeight(IOSurfaceGetHeight(surface)) {
    glGenTextures(1, &mTexture);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, mTexture);
    mError = CGLTexImageIOSurface2D(CGLGetCurrentContext(), GL_TEXTURE_RECTANGLE_ARB, GL_RGBA, mWidth,
                                    mHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, surface, 0);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, 0);
  }
  ~SurfaceTexture() {
    if (mFramebuffer) glDeleteFramebuffers(1, &mFramebuffer);
    glDeleteTextures(1, &mTexture);
  }

  CGLError error() const { return mError; }
  GLuint name() const { return mTexture; }

  // The texture's texels as GL holds them, GL row 0 first.
  std::vector<uint32_t> texels() {
    std::vector<uint32_t> texels(mWidth * mHeight);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, mTexture);
    glGetTexImage(GL_TEXTURE_RECTANGLE_ARB, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, 0);
    return texels;
  }
  uint32_t texel(int x, int y) { return texels().at(y * mWidth + x); }

  void beginDrawing() {
    if (!mFramebuffer) {
      glGenFramebuffers(1, &mFramebuffer);
      glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
      glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_RECTANGLE_ARB, mTexture, 0);
    } else {
      glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    }
    glViewport(0, 0, mWidth, mHeight);
  }
  void endDrawing() { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

 private:
  GLsizei mWidth, mHeight;
  GLuint mTexture = 0, mFramebuffer = 0;
  CGLError mError;
};

// One colour a memory row, so that the row order shows.
uint32_t rowColour(int, int y) { return y == 0 ? kRed : y == 1 ? kGreen : kBlue; }

class CGLIOSurface : public testing::TestWithParam<int> {
 protected:
  gltest::CurrentContext context;
};

TEST_P(CGLIOSurface, TextureHoldsMemoryRowZeroAsItsRowZero) {
  IOSurfaceRef surface = gltest::createSurface(3, 3, GetParam());
  gltest::fillSurface(surface, rowColour);
  SurfaceTexture texture(surface);
  ASSERT_EQ(texture.error(), kCGLNoError);
  EXPECT_EQ(texture.texel(0, 0), kRed);
  EXPECT_EQ(texture.texel(2, 1), kGreen);
  EXPECT_EQ(texture.texel(1, 2), kBlue);
  EXPECT_TRUE(gltest::pendingErrors().empty());
  CFRelease(surface);
}

TEST_P(CGLIOSurface, DrawingIntoTheTextureReachesMemoryWhenTheFramebufferIsLeft) {
  IOSurfaceRef surface = gltest::createSurface(4, 4, GetParam());
  SurfaceTexture texture(surface);
  const uint32_t seed = IOSurfaceGetSeed(surface);
  texture.beginDrawing();
  gltest::clearRect(0, 0, 4, 1, 1, 0, 0, 1);  // GL row 0 red
  gltest::clearRect(0, 1, 4, 3, 0, 0, 1, 1);
  EXPECT_EQ(gltest::surfacePixel(surface, 0, 0), 0u) << "written before the drawing ended";
  texture.endDrawing();
  EXPECT_EQ(gltest::surfacePixel(surface, 0, 0), kRed);
  EXPECT_EQ(gltest::surfacePixel(surface, 3, 3), kBlue);
  EXPECT_NE(IOSurfaceGetSeed(surface), seed);
  EXPECT_TRUE(gltest::pendingErrors().empty());
  CFRelease(surface);
}

INSTANTIATE_TEST_SUITE_P(RowBytes, CGLIOSurface, testing::Values(0, 64, 4 * 4 + 2),
                         [](const testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? "Packed" : info.param == 64 ? "Padded" : "OddlyPadded";
                         });

TEST(CGLIOSurfaceSeed, BindingPicksUpWhatAWriterPutInTheSurface) {
  gltest::CurrentContext context;
  IOSurfaceRef surface = gltest::createSurface(2, 2);
  SurfaceTexture texture(surface);
  EXPECT_EQ(texture.texel(1, 1), 0u);
  gltest::fillSurface(surface, [](int, int) { return kGreen; });
  EXPECT_EQ(texture.texel(1, 1), kGreen);
  CFRelease(surface);
}

TEST(CGLIOSurfaceSeed, TexturesOfOneSurfaceSeeEachOthersDrawing) {
  gltest::CurrentContext context;
  IOSurfaceRef surface = gltest::createSurface(2, 2);
  SurfaceTexture drawn(surface), reader(surface);
  drawn.beginDrawing();
  gltest::clearRect(0, 0, 2, 2, 0, 0, 1, 1);
  drawn.endDrawing();
  EXPECT_EQ(reader.texel(0, 0), kBlue);
  CFRelease(surface);
}

TEST(CGLIOSurfaceLifetime, TextureLetsGoOfItsSurface) {
  gltest::CurrentContext context;
  IOSurfaceRef surface = gltest::createSurface(2, 2);
  const CFIndex unbound = CFGetRetainCount(surface);
  {
    SurfaceTexture texture(surface);
    EXPECT_EQ(CFGetRetainCount(surface), unbound + 1);
  }
  EXPECT_EQ(CFGetRetainCount(surface), unbound) << "deleting the texture";
  {
    SurfaceTexture texture(surface);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture.name());
    glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(CFGetRetainCount(surface), unbound) << "giving the texture another image";
    gltest::fillSurface(surface, [](int, int) { return kRed; });
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture.name());
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1) << "the surface no longer reaches the texture";
  }
  CFRelease(surface);
}

TEST(CGLIOSurfaceErrors, RefusesWhatItCannotShow) {
  gltest::CurrentContext context;
  IOSurfaceRef surface = gltest::createSurface(4, 4);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  const struct {
    const char* what;
    CGLContextObj ctx;
    GLenum target, internal, format, type;
    GLsizei width, height;
    IOSurfaceRef surface;
    GLuint plane;
    CGLError error;
  } cases[] = {
      {"no context", nullptr, GL_TEXTURE_RECTANGLE_ARB, GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE, 4, 4, surface, 0,
       kCGLBadContext},
      {"no surface", context.get(), GL_TEXTURE_RECTANGLE_ARB, GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE, 4, 4,
       nullptr, 0, kCGLBadValue},
      {"second plane", context.get(), GL_TEXTURE_RECTANGLE_ARB, GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE, 4, 4,
       surface, 1, kCGLBadValue},
      {"unknown format", context.get(), GL_TEXTURE_RECTANGLE_ARB, GL_RGBA, GL_RED, GL_UNSIGNED_BYTE, 4, 4,
       surface, 0, kCGLBadValue},
      {"wider than the surface", context.get(), GL_TEXTURE_RECTANGLE_ARB, GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE,
       5, 4, surface, 0, kCGLBadValue},
      {"taller than the surface", context.get(), GL_TEXTURE_RECTANGLE_ARB, GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE,
       4, 5, surface, 0, kCGLBadValue},
      {"empty", context.get(), GL_TEXTURE_RECTANGLE_ARB, GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE, 0, 4, surface, 0,
       kCGLBadValue},
      {"cube map", context.get(), GL_TEXTURE_CUBE_MAP, GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE, 4, 4, surface, 0,
       kCGLBadEnumeration},
      {"no texture bound", context.get(), GL_TEXTURE_2D, GL_RGBA, GL_BGRA, GL_UNSIGNED_BYTE, 4, 4, surface, 0,
       kCGLBadValue},
  };
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
  for (const auto& c : cases)
    EXPECT_EQ(CGLTexImageIOSurface2D(c.ctx, c.target, c.internal, c.width, c.height, c.format, c.type,
                                     c.surface, c.plane),
              c.error)
        << c.what;
  EXPECT_TRUE(gltest::pendingErrors().empty());
  glDeleteTextures(1, &texture);
  CFRelease(surface);
}

}  // namespace
