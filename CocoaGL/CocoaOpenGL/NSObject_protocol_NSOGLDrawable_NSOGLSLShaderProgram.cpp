#include <AppKit/NSColor.h>

#include "NSOGLSLShaderProgram.h"
#include "OpenGLErrors.h"
#include "namespace_OpenGL_CGLContextState.h"
#include "protocol_NSOGLDrawable.h"
#include "protocol_NSOGLTexture.h"

void protocol_NSOGLDrawable::drawableDrawQuad_texture_textureMatrix_shaderProgram(
    CGRect rect, protocol_NSOGLTexture* texture, const tagNSOGLNormalTextureMatrix* matrix,
    NSOGLSLShaderProgram* program) {
  if (!isDrawableTexture(texture) || !program || !program->shaderCanBeEnabled()) {
    drawableDrawQuad_color(rect, NSColor::blueColor());
    return;
  }
  OpenGL::CGLContextState guard(drawableRenderContext());
  OpenGL::drainErrors();
  {
    // Disabled at the end of the scope whatever happens, so its lock is never left taken.
    NSOGLSLShaderProgram::EnabledScope enabled(program);
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    const GLenum target = texture->textureTarget();
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glActiveTexture(GL_TEXTURE0);
    glEnable(target);
    OpenGL::drainErrors();
    texture->textureWithMatrix(matrix);
    glBindTexture(target, texture->textureName());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const auto x = static_cast<float>(rect.origin.x), y = static_cast<float>(rect.origin.y);
    const auto w = static_cast<float>(rect.size.width), h = static_cast<float>(rect.size.height);
    const float s[2] = {texture->textureCoordSMin(), texture->textureCoordSMax()};
    const float t[2] = {texture->textureCoordTMin(), texture->textureCoordTMax()};
    const int corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    for (const auto& corner : corners) {
      glMultiTexCoord2fARB(GL_TEXTURE0_ARB, s[corner[0]], t[corner[1]]);
      glVertex3f(x + corner[0] * w, y + corner[1] * h, 0);
    }
    glEnd();
    glActiveTexture(GL_TEXTURE0);
    glDisable(target);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(matrixMode));
  }
  OpenGL::drainErrors();
}
