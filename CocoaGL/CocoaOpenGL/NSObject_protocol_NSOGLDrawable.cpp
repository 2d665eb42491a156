#include <AppKit/NSColor.h>
#include <CoreMachDebug.h>
#include <OpenGL/glu.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "NSOGLDrawableQuads.h"
#include "OpenGLErrors.h"
#include "namespace_OpenGL_CGLContextState.h"
#include "protocol_NSOGLDrawable.h"
#include "protocol_NSOGLTexture.h"

namespace {

// image x mask.x: unit 0's rectangle texture times the first component of unit 1's.
const char kMaskFragmentProgram[] =
    "!!ARBfp1.0\r\n"
    "TEMP image;\r\n"
    "TEMP mask;\r\n"
    "TEX image, fragment.texcoord[0], texture[0], RECT;\r\n"
    "TEX mask, fragment.texcoord[1], texture[1], RECT;\r\n"
    "MUL result.color, image, mask.x;\r\n"
    "END\r\n";

constexpr GLuint kNoProgram = 0xFFFFFFFF;
std::atomic<GLuint> sMaskFragmentProgram{kNoProgram};
std::mutex sMaskFragmentProgramCreation;

// Logs every pending GL error, as the mask program's steps do.
void logGLErrors(const char* function, const char* file, int line) {
  for (int i = 0; i < 64; ++i) {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR) return;
    ZidaZoraDurodAri("OpenGL Error: %s (%d) %s {%s} (%s,%d)\n",
                     reinterpret_cast<const char*>(gluErrorString(error)), static_cast<int>(error), "",
                     function, file, line);
  }
}

bool calibratedComponents(NSColor* color, float rgba[4]) {
  NSColor* calibrated = color ? color->colorUsingColorSpaceName(NSCalibratedRGBColorSpace) : nullptr;
  if (!calibrated) return false;
  rgba[0] = static_cast<float>(calibrated->redComponent());
  rgba[1] = static_cast<float>(calibrated->greenComponent());
  rgba[2] = static_cast<float>(calibrated->blueComponent());
  rgba[3] = static_cast<float>(calibrated->alphaComponent());
  return true;
}

}  // namespace

bool protocol_NSOGLDrawable::isDrawableTexture(protocol_NSOGLTexture* texture) {
  return texture && texture->textureName() != kNoProgram &&
         (texture->textureTarget() == GL_TEXTURE_2D || texture->textureTarget() == GL_TEXTURE_RECTANGLE_ARB);
}

GLuint protocol_NSOGLDrawable::maskFragmentProgramName() { return sMaskFragmentProgram.load(); }

const char* protocol_NSOGLDrawable::maskFragmentProgramText() { return kMaskFragmentProgram; }

CGLContextObj protocol_NSOGLDrawable::drawableRenderContext() {
  CGLContextObj cgl_ctx = renderContext();
  // clang-format off
  if (!VERIFY(cgl_ctx!=NULL)) return nullptr;
  // clang-format on
  return cgl_ctx;
}

CGRect protocol_NSOGLDrawable::drawableRectFromRenderBoundsRect(CGRect r) {
  const CGRect b = renderBounds();
  return CGRectMake((r.origin.x - (b.origin.x + 0.5 * b.size.width)) / b.size.width,
                    (r.origin.y - (b.origin.y + 0.5 * b.size.height)) / b.size.height,
                    r.size.width / b.size.width, r.size.height / b.size.height);
}

void protocol_NSOGLDrawable::drawableOrthoCubeViewBegin(bool clear) {
  OpenGL::CGLContextState guard(drawableRenderContext());
  if (clear) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  }
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 1);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glOrtho(-0.5, 0.5, -0.5, 0.5, -0.5, 0.5);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
}

void protocol_NSOGLDrawable::drawableOrthoCubeViewEnd() {
  OpenGL::CGLContextState guard(drawableRenderContext());
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  OpenGL::drainErrors();
}

void protocol_NSOGLDrawable::drawableErase_R_G_B_A(double red, double green, double blue, double alpha) {
  OpenGL::CGLContextState guard(drawableRenderContext());
  glClearColor(static_cast<GLclampf>(red), static_cast<GLclampf>(green), static_cast<GLclampf>(blue),
               static_cast<GLclampf>(alpha));
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void protocol_NSOGLDrawable::drawableEraseColor(NSColor* color) {
  float rgba[4] = {0, 0, 0, 1};
  calibratedComponents(color, rgba);
  drawableErase_R_G_B_A(rgba[0], rgba[1], rgba[2], rgba[3]);
}

void protocol_NSOGLDrawable::drawableDrawQuad_color_R_G_B_A(CGRect rect, float red, float green, float blue,
                                                            float alpha) {
  OpenGL::CGLContextState guard(drawableRenderContext());
  const auto x = static_cast<float>(rect.origin.x), y = static_cast<float>(rect.origin.y);
  const auto w = static_cast<float>(rect.size.width), h = static_cast<float>(rect.size.height);
  glColor4f(red, green, blue, alpha);
  glBegin(GL_QUADS);
  glVertex3f(x, y, 0);
  glVertex3f(x + w, y, 0);
  glVertex3f(x + w, y + h, 0);
  glVertex3f(x, y + h, 0);
  glEnd();
  OpenGL::drainErrors();
}

void protocol_NSOGLDrawable::drawableDrawQuad_color(CGRect rect, NSColor* color) {
  // No colour, or one without RGB components: half-transparent black.
  float rgba[4] = {0, 0, 0, 0.5f};
  calibratedComponents(color, rgba);
  drawableDrawQuad_color_R_G_B_A(rect, rgba[0], rgba[1], rgba[2], rgba[3]);
}

void protocol_NSOGLDrawable::drawableDrawQuad_texture(CGRect rect, protocol_NSOGLTexture* texture) {
  drawableDrawQuad_texture_textureMatrix(rect, texture, nullptr);
}

void protocol_NSOGLDrawable::drawableDrawQuad_texture_textureMatrix(
    CGRect rect, protocol_NSOGLTexture* texture, const tagNSOGLNormalTextureMatrix* matrix) {
  if (!isDrawableTexture(texture)) {
    drawableDrawQuad_color(rect, NSColor::redColor());
    return;
  }
  OpenGL::CGLContextState guard(drawableRenderContext());
  {
    NSOGLDrawableQuads::TextureMatrixScope textureMatrix(texture->textureTarget());
    if (glGetError() != GL_NO_ERROR) {
      OpenGL::drainErrors();
      return;
    }
    texture->textureWithMatrix(matrix);
    glBindTexture(texture->textureTarget(), texture->textureName());
    OpenGL::drainErrors();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    NSOGLDrawableQuads::drawQuad(rect, texture, nullptr, false);
  }
  OpenGL::drainErrors();
}

void protocol_NSOGLDrawable::drawableDrawQuad_texture_maskTexture(CGRect rect, protocol_NSOGLTexture* texture,
                                                                  protocol_NSOGLTexture* mask) {
  drawableDrawQuad_texture_textureMatrix_maskTexture_maskMatrix(rect, texture, nullptr, mask, nullptr);
}

void protocol_NSOGLDrawable::drawableDrawQuad_texture_maskTexture_maskMatrix(
    CGRect rect, protocol_NSOGLTexture* texture, protocol_NSOGLTexture* mask,
    const tagNSOGLNormalTextureMatrix* maskMatrix) {
  drawableDrawQuad_texture_textureMatrix_maskTexture_maskMatrix(rect, texture, nullptr, mask, maskMatrix);
}

void protocol_NSOGLDrawable::drawableDrawQuad_texture_textureMatrix_maskTexture_maskMatrix(
    CGRect rect, protocol_NSOGLTexture* texture, const tagNSOGLNormalTextureMatrix* matrix,
    protocol_NSOGLTexture* mask, const tagNSOGLNormalTextureMatrix* maskMatrix) {
  if (!isDrawableTexture(texture)) {
    drawableDrawQuad_color(rect, NSColor::blueColor());
    return;
  }
  OpenGL::CGLContextState guard(drawableRenderContext());
  drawableEnableMaskFragmentShader();
  {
    NSOGLDrawableQuads::TextureMatrixScope textureMatrix(texture->textureTarget());
    OpenGL::drainErrors();
    texture->textureWithMatrix(matrix);
    glBindTexture(texture->textureTarget(), texture->textureName());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const GLenum maskTarget = mask ? mask->textureTarget() : GL_TEXTURE_RECTANGLE_ARB;
    glActiveTexture(GL_TEXTURE1);
    glEnable(maskTarget);
    // Unit 1's texture matrix is kept as the caller had it.
    glPushMatrix();
    if (mask) {
      mask->textureWithMatrix(maskMatrix);
      glBindTexture(maskTarget, mask->textureName());
    }
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, 8448.0f);
    NSOGLDrawableQuads::drawQuad(rect, texture, mask, true);
    glActiveTexture(GL_TEXTURE1);
    glPopMatrix();
    glDisable(maskTarget);
  }
  glDisable(GL_FRAGMENT_PROGRAM_ARB);
  OpenGL::drainErrors();
}

void protocol_NSOGLDrawable::drawableCreateMaskFragmentShader(const char* shaderProgramText) {
  if (!VERIFY(shaderProgramText)) return;
  OpenGL::CGLContextState guard(drawableRenderContext());
  GLuint name = 0;
  glGenProgramsARB(1, &name);
  glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, name);
  glProgramStringARB(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB,
                     static_cast<GLsizei>(std::strlen(shaderProgramText)), shaderProgramText);
  logGLErrors(__FUNCTION__, __FILE__, __LINE__);
  sMaskFragmentProgram = name;
}

void protocol_NSOGLDrawable::drawableEnableMaskFragmentShader() {
  OpenGL::CGLContextState guard(drawableRenderContext());
  {
    // Made once per process, however many renderers ask at once.
    std::lock_guard<std::mutex> creation(sMaskFragmentProgramCreation);
    if (sMaskFragmentProgram == kNoProgram) drawableCreateMaskFragmentShader(kMaskFragmentProgram);
  }
  const GLuint name = sMaskFragmentProgram;
  if (name == kNoProgram) return;
  glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, name);
  logGLErrors(__FUNCTION__, __FILE__, __LINE__);
  glEnable(GL_FRAGMENT_PROGRAM_ARB);
  OpenGL::drainErrors();
}
