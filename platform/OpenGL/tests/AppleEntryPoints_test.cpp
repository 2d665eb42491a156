#include <OpenGL/gl.h>
#include <gtest/gtest.h>

#include "GLTestSupport.h"

namespace {

TEST(AppleEntryPoints, ClientStorageIsAcceptedAndIgnored) {
  gltest::CurrentContext context;
  glPixelStorei(GL_UNPACK_CLIENT_STORAGE_APPLE, 1);
  EXPECT_TRUE(gltest::pendingErrors().empty());
}

TEST(AppleEntryPoints, YuvRowsUploadAsColour) {
  gltest::CurrentContext context;
  // Two pixels of white: Cb Y Cr Y with Y = 235, Cb = Cr = 128.
  const uint8_t rows[] = {128, 235, 128, 235, 128, 235, 128, 235};
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
  glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA8, 2, 2, 0, GL_YCBCR_422_APPLE,
               GL_UNSIGNED_SHORT_8_8_APPLE, rows);
  EXPECT_TRUE(gltest::pendingErrors().empty());
  {
    // Sampled, as the drawing does: draw the texture over a framebuffer and read that.
    gltest::TextureFramebuffer sampled(GL_TEXTURE_2D, 2, 2);
    glEnable(GL_TEXTURE_RECTANGLE_ARB);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(-1, -1);
    glTexCoord2f(2, 0), glVertex2f(1, -1);
    glTexCoord2f(2, 2), glVertex2f(1, 1);
    glTexCoord2f(0, 2), glVertex2f(-1, 1);
    glEnd();
    glDisable(GL_TEXTURE_RECTANGLE_ARB);
    EXPECT_EQ(gltest::readPixel(0, 0), gltest::kWhite);
    EXPECT_EQ(gltest::readPixel(1, 1), gltest::kWhite);
  }
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
  glTexSubImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, 0, 0, 2, 1, GL_YCBCR_422_APPLE, GL_UNSIGNED_SHORT_8_8_APPLE,
                  rows);
  EXPECT_TRUE(gltest::pendingErrors().empty());
  glDeleteTextures(1, &texture);
}

TEST(AppleEntryPoints, FlushAndFinishRenderAreTheStandardOnes) {
  gltest::CurrentContext context;
  glFlushRenderAPPLE();
  glFinishRenderAPPLE();
  glSwapAPPLE();  // without a drawable: a flush
  EXPECT_TRUE(gltest::pendingErrors().empty());
}

}  // namespace
