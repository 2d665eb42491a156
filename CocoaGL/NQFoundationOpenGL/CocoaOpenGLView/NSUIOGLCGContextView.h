#pragma once
// A plain view owning an OpenGL context made from the shared pixel format and sharing objects
// with the shared context. It draws when AppKit asks (drawRect: begin, self, end), offers
// renderer selection and an explicit backing size, and ends each frame by a flush policy.
#include <AppKit/NSOpenGLContext.h>
#include <AppKit/NSView.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSNotification.h>

#include "namespace_OpenGL_FlushFn.h"
#include "protocol_NSOGLRenderScene.h"

class NSUIOGLCGContextView : public NSView, public protocol_NSOGLRenderScene {
  OBJC_CLASS_DECL(NSUIOGLCGContextView, NSView)

 public:
  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  void initInstance();
  void createGLContext();
  virtual void initializeGLContext();

  NSOpenGLPixelFormat* pixelFormat() const { return _glPixelFormat.get(); }
  NSOpenGLContext* glContext() override { return _glContext.get(); }
  NSOpenGLContext* glSharingContext() override;
  CGLContextObj renderContext() override;
  CGRect renderBounds() override { return bounds(); }

  int32_t flushFunction() const { return _flushFunction.mFlushFn; }
  void setFlushFunction(int32_t mode) { _flushFunction.mFlushFn = mode; }
  const std::function<void(bool)>& flushBlock() const { return _flushFunction.mFlushBlock; }
  void setFlushBlock(std::function<void(bool)> block) { _flushFunction.mFlushBlock = std::move(block); }
  bool renderSceneEndFlushOpenGLContext() const { return _renderSceneEndFlushOpenGLContext; }
  void setRenderSceneEndFlushOpenGLContext(bool flush) { _renderSceneEndFlushOpenGLContext = flush; }

  // The GL_RENDERER of each virtual screen of the pixel format (autoreleased); the context is
  // left on the last one.
  NSArray* rendererNames();
  void setRendererIndex(int index);
  void setGLContextBackingDimensions(NSSize size);

  void drawRect(NSRect) override { renderScene(); }
  void lockFocus() override;

  // protocol_NSOGLRenderScene
  void renderSceneInit() override;
  void renderScene() override { renderScene(true); }
  void renderScene(bool flush) override;
  void renderSceneBegin() override;
  void renderSceneSelf() override {}
  void renderSceneReshape() override {}
  bool renderSceneEnd(bool flush) override;
  virtual void renderSceneSwapBuffers() {}

  void handleReshapeViewport(NSNotification* notification);
  void applicationWillTerminate(NSNotification* notification);

 protected:
  NSUIOGLCGContextView() = default;
  void dealloc() override;
  void makeContextCurrent();

 private:
  void stopObservingFrame();

  RefPtr<NSOpenGLContext> _glContext;
  RefPtr<NSOpenGLPixelFormat> _glPixelFormat;
  FlushFn _flushFunction{OpenGL_Flush_FlushApple, {}};
  bool _renderSceneEndFlushOpenGLContext = false;
};
