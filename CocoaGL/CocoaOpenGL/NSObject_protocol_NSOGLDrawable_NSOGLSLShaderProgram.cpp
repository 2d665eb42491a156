#include <AppKit/NSColor.h>

#include "NSOGLDrawableQuads.h"
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
    NSOGLDrawableQuads::TextureMatrixScope textureMatrix(texture->textureTarget());
    OpenGL::drainErrors();
    texture->textureWithMatrix(matrix);
    glBindTexture(texture->textureTarget(), texture->textureName());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    NSOGLDrawableQuads::drawQuad(rect, texture, nullptr, true);
  }
  OpenGL::drainErrors();
}
