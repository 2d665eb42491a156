#pragma once
// A surface texture that GL can draw into: a framebuffer object over it, complete from
// initialisation on. Each render pass is beginRenderToFrameBuffer ... endRenderToFrameBuffer;
// when the pass ends, the drawing is in the surface for every reader, in any process.
#include "NSOGLTextureIOSurface.h"
#include "protocol_NSOGLFrameBufferObject.h"

class NSOGLTextureIOSurfaceFBO : public NSOGLTextureIOSurface, public protocol_NSOGLFrameBufferObject {
  OBJC_CLASS_DECL(NSOGLTextureIOSurfaceFBO, NSOGLTextureIOSurface)

 public:
  void initTextureProperties() override;

  bool beginRenderToFrameBuffer() override { return beginRenderToFrameBufferObject(&_fbo); }
  bool endRenderToFrameBuffer(bool flush) override {
    return endRenderToFrameBufferObject_flush(&_fbo, flush);
  }
  uint32_t frameBufferObject() const override { return _fbo._frameBufferName; }
  // The last completeness status (GL_FRAMEBUFFER_COMPLETE_EXT when complete).
  uint32_t frameBufferStatus() const { return _fbo._is_complete; }

 protected:
  NSOGLTextureIOSurfaceFBO() = default;
  void dealloc() override;

 private:
  tagNSOGLFrameBufferObject _fbo;
};
