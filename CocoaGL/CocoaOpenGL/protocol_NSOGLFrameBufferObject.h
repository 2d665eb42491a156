#pragma once
// A framebuffer object that draws into a texture, with a depth renderbuffer, and the binding
// and viewport it saves while drawing.
#include <OpenGL/gl.h>

#include <cstdint>

#include "tagOpenGL_FBOState.h"

struct tagNSOGLFrameBufferObject {
  uint32_t _frameBufferName = 0;
  uint32_t _depthBufferName = 0;
  // The last glCheckFramebufferStatusEXT answer (GL_FRAMEBUFFER_COMPLETE_EXT when complete).
  uint32_t _is_complete = 0;
  tagOpenGL_FBOState _state;
};

class protocol_NSOGLFrameBufferObject {
 public:
  virtual bool beginRenderToFrameBuffer() = 0;
  virtual bool endRenderToFrameBuffer(bool flush) = 0;
  virtual uint32_t frameBufferObject() const = 0;

 protected:
  ~protocol_NSOGLFrameBufferObject() = default;
};
