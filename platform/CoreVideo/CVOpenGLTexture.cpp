#include <CoreVideo/CVOpenGLTexture.h>
#include <OpenGL/gl.h>

#include <cstdio>

#include "backend/CVOpenGLTextureObjects.h"

namespace {

__CVOpenGLTexture* textureOf(CVOpenGLTextureRef texture, const char* function) {
  auto* object = reinterpret_cast<NSObject*>(texture);
  if (!object || object->cfTypeID() != __CVOpenGLTexture::typeID()) {
    std::fprintf(stderr, "%s: %p is not a CVOpenGLTexture\n", function, static_cast<void*>(texture));
    return nullptr;
  }
  return static_cast<__CVOpenGLTexture*>(object);
}

}  // namespace

CFTypeID __CVOpenGLTexture::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CVOpenGLTexture");
  return id;
}

__CVOpenGLTexture::__CVOpenGLTexture(std::shared_ptr<CoreVideo::TextureNamePool> pool, GLuint name,
                                     CGSize size, CVImageBufferRef source)
    : pool(std::move(pool)), name(name), size(size), source(CVBufferRetain(source)) {}

__CVOpenGLTexture::~__CVOpenGLTexture() {
  CVBufferRelease(source);
  pool->giveBack(name);
}

CFTypeID CVOpenGLTextureGetTypeID(void) { return __CVOpenGLTexture::typeID(); }

CVOpenGLTextureRef CVOpenGLTextureRetain(CVOpenGLTextureRef texture) { return CVBufferRetain(texture); }

void CVOpenGLTextureRelease(CVOpenGLTextureRef texture) { CVBufferRelease(texture); }

GLenum CVOpenGLTextureGetTarget(CVOpenGLTextureRef image) {
  return textureOf(image, __func__) ? GL_TEXTURE_RECTANGLE_ARB : 0;
}

GLuint CVOpenGLTextureGetName(CVOpenGLTextureRef image) {
  __CVOpenGLTexture* texture = textureOf(image, __func__);
  return texture ? texture->name : 0;
}

Boolean CVOpenGLTextureIsFlipped(CVOpenGLTextureRef image) {
  __CVOpenGLTexture* texture = textureOf(image, __func__);
  return texture && texture->isFlipped();
}

void CVOpenGLTextureGetCleanTexCoords(CVOpenGLTextureRef image, GLfloat lowerLeft[2], GLfloat lowerRight[2],
                                      GLfloat upperRight[2], GLfloat upperLeft[2]) {
  __CVOpenGLTexture* texture = textureOf(image, __func__);
  const auto w = texture ? static_cast<GLfloat>(texture->size.width) : 0.0f;
  const auto h = texture ? static_cast<GLfloat>(texture->size.height) : 0.0f;
  // Flipped: the picture's bottom is the texture's last row.
  const GLfloat corners[4][2] = {{0, h}, {w, h}, {w, 0}, {0, 0}};
  GLfloat* out[4] = {lowerLeft, lowerRight, upperRight, upperLeft};
  for (int i = 0; i < 4; ++i)
    if (out[i]) {
      out[i][0] = corners[i][0];
      out[i][1] = corners[i][1];
    }
}
