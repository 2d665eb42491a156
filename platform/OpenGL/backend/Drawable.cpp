#include "Drawable.h"

#include <algorithm>
#include <cstring>

#include "PixelStoreScope.h"
#include "RealGL.h"

namespace OpenGLBackend {
namespace {

// Keeps the framebuffer and renderbuffer bindings of the current context across the scope.
class BindingScope {
 public:
  BindingScope() {
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &mDraw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &mRead);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &mRenderbuffer);
  }
  ~BindingScope() {
    realGL().bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(mDraw));
    realGL().bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(mRead));
    glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(mRenderbuffer));
  }

 private:
  GLint mDraw = 0, mRead = 0, mRenderbuffer = 0;
};

GLenum depthFormat(GLint depthBits, GLint stencilBits) {
  if (stencilBits > 0) return GL_DEPTH24_STENCIL8;
  if (depthBits <= 0) return GL_NONE;
  return depthBits <= 16   ? GL_DEPTH_COMPONENT16
         : depthBits <= 24 ? GL_DEPTH_COMPONENT24
                           : GL_DEPTH_COMPONENT32;
}

}  // namespace

void Drawable::realize(GLint width, GLint height, GLint depthBits, GLint stencilBits) {
  width = std::max<GLint>(width, 1);
  height = std::max<GLint>(height, 1);
  const GLenum depth = depthFormat(depthBits, stencilBits);
  BindingScope bindings;
  const bool made = mFramebuffer == 0;
  if (made) {
    glGenFramebuffers(1, &mFramebuffer);
    glGenRenderbuffers(1, &mColor);
    if (depth != GL_NONE) glGenRenderbuffers(1, &mDepth);
  } else if (width == mWidth && height == mHeight) {
    return;
  }
  glBindRenderbuffer(GL_RENDERBUFFER, mColor);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  if (mDepth != 0) {
    glBindRenderbuffer(GL_RENDERBUFFER, mDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, depth, width, height);
  }
  if (made) {
    realGL().bindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColor);
    if (mDepth != 0) {
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, mDepth);
      if (depth == GL_DEPTH24_STENCIL8)
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, mDepth);
    }
    ++mGeneration;
  }
  mWidth = width;
  mHeight = height;
}

void Drawable::destroy() {
  if (mFramebuffer == 0) return;
  glDeleteFramebuffers(1, &mFramebuffer);
  glDeleteRenderbuffers(1, &mColor);
  if (mDepth != 0) glDeleteRenderbuffers(1, &mDepth);
  mFramebuffer = mColor = mDepth = 0;
  mWidth = mHeight = 0;
  ++mGeneration;
}

std::vector<uint8_t> Drawable::readTopDown() const {
  if (mFramebuffer == 0) return {};
  const size_t rowBytes = static_cast<size_t>(mWidth) * 4;
  std::vector<uint8_t> bottomUp(rowBytes * mHeight);
  {
    BindingScope bindings;
    PixelStoreScope pack(PixelStoreScope::Pack, 0);
    realGL().bindFramebuffer(GL_READ_FRAMEBUFFER, mFramebuffer);
    glReadPixels(0, 0, mWidth, mHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bottomUp.data());
  }
  std::vector<uint8_t> topDown(bottomUp.size());
  for (GLint row = 0; row < mHeight; ++row)
    std::memcpy(&topDown[row * rowBytes], &bottomUp[(mHeight - 1 - row) * rowBytes], rowBytes);
  return topDown;
}

}  // namespace OpenGLBackend
