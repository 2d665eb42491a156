#pragma once
// What a renderer answers (render targets and views): a render cycle of begin, self and end,
// and its contexts; and what its delegate may answer. Each method of a delegate is an
// interface of its own: a delegate answers the methods whose interfaces it derives from.
#include <CoreGraphics/CGGeometry.h>

#include "protocol_NSOGLDrawable.h"

class NSOpenGLContext;

class protocol_NSOGLRenderScene : public protocol_NSOGLDrawable {
 public:
  virtual void renderScene() = 0;
  virtual void renderScene(bool flush) = 0;
  virtual void renderSceneInit() = 0;
  virtual void renderSceneBegin() = 0;
  virtual void renderSceneSelf() = 0;
  virtual void renderSceneReshape() = 0;
  virtual bool renderSceneEnd(bool flush) = 0;
  virtual NSOpenGLContext* glContext() = 0;
  virtual NSOpenGLContext* glSharingContext() = 0;

 protected:
  ~protocol_NSOGLRenderScene() = default;
};

// Draws the scene in place of the renderer's own drawing.
class protocol_NSOGLRenderSceneDelegate {
 public:
  virtual bool renderScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) = 0;

 protected:
  ~protocol_NSOGLRenderSceneDelegate() = default;
};

// protocol_NSOGLRenderSceneTextureDelegate's two optional methods: work before and after the
// drawing, inside the render target's framebuffer.
class protocol_NSOGLRenderSceneTextureDelegate_renderBeginScene {
 public:
  virtual bool renderBeginScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) = 0;

 protected:
  ~protocol_NSOGLRenderSceneTextureDelegate_renderBeginScene() = default;
};

class protocol_NSOGLRenderSceneTextureDelegate_renderEndScene {
 public:
  virtual bool renderEndScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) = 0;

 protected:
  ~protocol_NSOGLRenderSceneTextureDelegate_renderEndScene() = default;
};
