#include "NSOGLTexturingTest.h"

#include <AppKit/NSOpenGLContext.h>

#include <vector>

#include "NSOGLSharingContext.h"

OBJC_CLASS_DEFINE(NSOGLTexturingTest)

namespace {

constexpr int kSide = 64;

}  // namespace

NSOGLTexturingTest* NSOGLTexturingTest::newTextureTest() {
  return static_cast<NSOGLTexturingTest*>(NSOGLTexturingTest::alloc()->init());
}

NSOGLTexturingTest* NSOGLTexturingTest::textureTestAcquiredWithCurrentContext() {
  NSOGLTexturingTest* probe = newTextureTest();
  probe->acquireGL();
  return static_cast<NSOGLTexturingTest*>(probe->autorelease());
}

NSOGLTexturingTest* NSOGLTexturingTest::textureTestAcquiredWithSharingContext() {
  RefPtr<NSOpenGLContext> remembered(NSOpenGLContext::currentContext());
  if (NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext()) shared->makeCurrentContext();
  NSOGLTexturingTest* probe = textureTestAcquiredWithCurrentContext();
  if (remembered)
    remembered->makeCurrentContext();
  else
    NSOpenGLContext::clearCurrentContext();
  return probe;
}

NSObject* NSOGLTexturingTest::init() {
  mTextureTarget = GL_TEXTURE_2D;
  mTextureID = 0;
  return this;
}

bool NSOGLTexturingTest::acquireGL() {
  glGenTextures(1, &mTextureID);
  bindGL();
  std::vector<GLubyte> texels(kSide * kSide * 4);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      GLubyte* texel = &texels[(y * kSide + x) * 4];
      texel[0] = texel[1] = texel[2] = ((x & 8) != (y & 8)) ? 255 : 0;
      texel[3] = 255;
    }
  glTexImage2D(mTextureTarget, 0, GL_RGBA, kSide, kSide, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glTexParameterf(mTextureTarget, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameterf(mTextureTarget, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(mTextureTarget, 0);
  return mTextureID != 0;
}

void NSOGLTexturingTest::bindGL() {
  glBindTexture(mTextureTarget, mTextureID);
  glGetError();
}

void NSOGLTexturingTest::drawUnitQuadGL() {
  glEnable(mTextureTarget);
  glBindTexture(mTextureTarget, mTextureID);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-0.5f, -0.5f);
  glTexCoord2f(1, 0);
  glVertex2f(0.5f, -0.5f);
  glTexCoord2f(1, 1);
  glVertex2f(0.5f, 0.5f);
  glTexCoord2f(0, 1);
  glVertex2f(-0.5f, 0.5f);
  glEnd();
  glBindTexture(mTextureTarget, 0);
  glDisable(mTextureTarget);
}
