#pragma once
// The framebuffer that stands for a context's framebuffer 0 while the context has a drawable:
// a colour renderbuffer (RGBA, 8 bits a channel) and, when the pixel format asks for depth or
// stencil, a depth renderbuffer. Its GL objects are shared by every thread's EGL context of
// the context. Every call but the accessors needs a context of the share group current on the
// calling thread; the owner serialises the calls.
#include <OpenGL/CGLDrawable.h>
#include <OpenGL/gltypes.h>

#include <cstdint>
#include <vector>

namespace OpenGLBackend {

class Drawable {
 public:
  bool exists() const { return mFramebuffer != 0; }
  GLuint framebuffer() const { return mFramebuffer; }
  GLint width() const { return mWidth; }
  GLint height() const { return mHeight; }
  // Changes whenever the framebuffer is made or taken away, so that each thread's context
  // knows to bind the new one.
  unsigned generation() const { return mGeneration; }

  // Makes the GL objects, or gives them the new size.
  void realize(GLint width, GLint height, GLint depthBits, GLint stencilBits);
  // Deletes the GL objects.
  void destroy();
  // The picture, rows from the top, 'BGRA' bytes; empty without a drawable.
  std::vector<uint8_t> readTopDown() const;

  CGLDrawablePresenter presenter = nullptr;
  void* presenterInfo = nullptr;
  // The size the window layer asked for; the backing size parameter may override it.
  GLint attachedWidth = 0;
  GLint attachedHeight = 0;

 private:
  GLuint mFramebuffer = 0;
  GLuint mColor = 0;
  GLuint mDepth = 0;
  GLint mWidth = 0;
  GLint mHeight = 0;
  unsigned mGeneration = 0;
};

}  // namespace OpenGLBackend
