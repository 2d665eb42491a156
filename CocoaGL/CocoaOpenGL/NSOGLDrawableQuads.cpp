#include "NSOGLDrawableQuads.h"

namespace NSOGLDrawableQuads {

TextureMatrixScope::TextureMatrixScope(GLenum target) : mTarget(target) {
  glGetIntegerv(GL_MATRIX_MODE, &mMatrixMode);
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  glLoadIdentity();
  glActiveTexture(GL_TEXTURE0);
  glEnable(target);
}

TextureMatrixScope::~TextureMatrixScope() {
  glActiveTexture(GL_TEXTURE0);
  glDisable(mTarget);
  glMatrixMode(GL_TEXTURE);
  glPopMatrix();
  glMatrixMode(static_cast<GLenum>(mMatrixMode));
}

void drawQuad(CGRect rect, protocol_NSOGLTexture* texture, protocol_NSOGLTexture* mask, bool units) {
  const auto x = static_cast<float>(rect.origin.x), y = static_cast<float>(rect.origin.y);
  const auto w = static_cast<float>(rect.size.width), h = static_cast<float>(rect.size.height);
  const float s[2] = {texture->textureCoordSMin(), texture->textureCoordSMax()};
  const float t[2] = {texture->textureCoordTMin(), texture->textureCoordTMax()};
  const float ms[2] = {mask ? mask->textureCoordSMin() : 0.0f, mask ? mask->textureCoordSMax() : 0.0f};
  const float mt[2] = {mask ? mask->textureCoordTMin() : 0.0f, mask ? mask->textureCoordTMax() : 0.0f};
  const int corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  glBegin(GL_QUADS);
  if (units) glNormal3f(0, 0, 1);
  for (const auto& corner : corners) {
    if (!units) {
      glTexCoord2f(s[corner[0]], t[corner[1]]);
    } else {
      glMultiTexCoord2fARB(GL_TEXTURE0_ARB, s[corner[0]], t[corner[1]]);
      if (mask) glMultiTexCoord2fARB(GL_TEXTURE1_ARB, ms[corner[0]], mt[corner[1]]);
    }
    glVertex3f(x + corner[0] * w, y + corner[1] * h, 0);
  }
  glEnd();
}

}  // namespace NSOGLDrawableQuads
