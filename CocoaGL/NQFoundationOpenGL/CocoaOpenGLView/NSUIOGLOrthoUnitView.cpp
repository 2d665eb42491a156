#include "NSUIOGLOrthoUnitView.h"

#include <CoreMachDebug.h>
#include <OpenGL/gl.h>

#include "OpenGLErrors.h"

OBJC_CLASS_DEFINE(NSUIOGLOrthoUnitView)

void NSUIOGLOrthoUnitView::renderSceneReshape() {
  NSOpenGLContext* context = glContext();
  if (!context) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : _glContext");
    return;
  }
  context->makeCurrentContext();
  context->update();
  const CGRect bounds = renderBounds();
  glViewport(0, 0, static_cast<GLsizei>(bounds.size.width), static_cast<GLsizei>(bounds.size.height));
  renderScene();
  OpenGL::drainErrors();
}

void NSUIOGLOrthoUnitView::renderSceneBegin() {
  makeContextCurrent();
  drawableOrthoCubeViewBegin(clearDrawableBeforeRender());
  renderSceneBlend();
}

void NSUIOGLOrthoUnitView::renderSceneBlend() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void NSUIOGLOrthoUnitView::renderSceneSelf() {
  RefPtr<NSObject> object = renderSceneDelegate.get();
  auto* delegate = dynamic_cast<protocol_NSOGLRenderSceneDelegate*>(object.get());
  if (!delegate) return;
  delegate->renderScene_drawableRect(this, drawableRectFromRenderBoundsRect(renderBounds()));
}

bool NSUIOGLOrthoUnitView::renderSceneEnd(bool flush) {
  makeContextCurrent();
  drawableOrthoCubeViewEnd();
  return NSUIOGLCGContextView::renderSceneEnd(flush);
}
