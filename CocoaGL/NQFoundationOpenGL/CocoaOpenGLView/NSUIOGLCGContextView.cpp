#include "NSUIOGLCGContextView.h"

#include <CoreMachDebug.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSString.h>
#include <OpenGL/gl.h>
#include <objc/MethodTable.h>

#include "NSOGLSharingContext.h"
#include "OpenGLErrors.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSUIOGLCGContextView)
OBJC_METHODS(NSUIOGLCGContextView,
             OBJC_METHOD("handleReshapeViewport:", &NSUIOGLCGContextView::handleReshapeViewport),
             OBJC_METHOD("applicationWillTerminate:", &NSUIOGLCGContextView::applicationWillTerminate))

#define VERIFY_TEXT(text) _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : " text)

NSView* NSUIOGLCGContextView::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  initInstance();
  return this;
}

NSObject* NSUIOGLCGContextView::initWithCoder(NSCoder* coder) {
  NSView::initWithCoder(coder);
  initInstance();
  return this;
}

void NSUIOGLCGContextView::initInstance() {
  _glContext = nullptr;
  _glPixelFormat = nullptr;
  setFlushFunction(OpenGL_Flush_None);
  setRenderSceneEndFlushOpenGLContext(true);
  createGLContext();
  renderSceneInit();
  setPostsFrameChangedNotifications(true);
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      this, SELECTOR("handleReshapeViewport:"), NSViewFrameDidChangeNotification, this);
}

void NSUIOGLCGContextView::createGLContext() {
  _glPixelFormat = RefPtr<NSOpenGLPixelFormat>(NSOGLSharingContext::defaultSharedPixelFormat());
  if (!_glPixelFormat) {
    VERIFY_TEXT("_glPixelFormat = [[NSOGLSharingContext defaultSharedPixelFormat] retain]");
    return;
  }
  _glContext =
      adopt(NSOpenGLContext::alloc()->initWithFormat_shareContext(_glPixelFormat.get(), glSharingContext()));
  if (!_glContext) {
    VERIFY_TEXT(
        "_glContext = [[NSOpenGLContext alloc] initWithFormat:_glPixelFormat "
        "shareContext:self.glSharingContext]");
    return;
  }
  initializeGLContext();
}

void NSUIOGLCGContextView::initializeGLContext() {
  const GLint interval = 1;
  _glContext->setValues_forParameter(&interval, NSOpenGLCPSwapInterval);
}

NSOpenGLContext* NSUIOGLCGContextView::glSharingContext() {
  return NSOGLSharingContext::defaultSharedContext();
}

CGLContextObj NSUIOGLCGContextView::renderContext() {
  return _glContext ? _glContext->CGLContextObj() : nullptr;
}

void NSUIOGLCGContextView::makeContextCurrent() {
  if (_glContext) _glContext->makeCurrentContext();
}

NSArray* NSUIOGLCGContextView::rendererNames() {
  NSMutableArray* names = NSMutableArray::array();
  if (!_glContext || !_glPixelFormat) return names;
  OpenGL::CGLContextState guard(_glContext.get());
  for (GLint screen = 0; screen < _glPixelFormat->numberOfVirtualScreens(); ++screen) {
    _glContext->setCurrentVirtualScreen(screen);
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    names->addObject(NSString::stringWithUTF8String(renderer ? renderer : ""));
  }
  return names;
}

void NSUIOGLCGContextView::setRendererIndex(int index) {
  if (_glContext) _glContext->setCurrentVirtualScreen(index);
}

void NSUIOGLCGContextView::setGLContextBackingDimensions(NSSize size) {
  CGLContextObj context = renderContext();
  if (!context) return;
  OpenGL::CGLContextState guard(context);
  const GLint dimensions[2] = {static_cast<GLint>(size.width), static_cast<GLint>(size.height)};
  CGLSetParameter(context, kCGLCPSurfaceBackingSize, dimensions);
  CGLEnable(context, kCGLCESurfaceBackingSize);
  OpenGL::drainErrors();
}

void NSUIOGLCGContextView::lockFocus() {
  NSView::lockFocus();
  if (!_glContext) {
    VERIFY_TEXT("context");
    return;
  }
  if (_glContext->view() != this) _glContext->setView(this);
  _glContext->makeCurrentContext();
}

void NSUIOGLCGContextView::renderSceneInit() {
  renderSceneReshape();
  renderScene();
}

void NSUIOGLCGContextView::renderScene(bool flush) {
  if (!_glContext) {
    VERIFY_TEXT("_glContext");
    return;
  }
  renderSceneBegin();
  OpenGL::drainErrors();
  renderSceneSelf();
  OpenGL::drainErrors();
  renderSceneEnd(flush);
}

void NSUIOGLCGContextView::renderSceneBegin() {
  makeContextCurrent();
  OpenGL::drainErrors();
}

bool NSUIOGLCGContextView::renderSceneEnd(bool flush) {
  makeContextCurrent();
  OpenGL::FlushFn(&_flushFunction, flush);
  if (flush && renderSceneEndFlushOpenGLContext() && _glContext) _glContext->flushBuffer();
  return flush;
}

void NSUIOGLCGContextView::handleReshapeViewport(NSNotification*) { renderSceneReshape(); }

void NSUIOGLCGContextView::applicationWillTerminate(NSNotification*) { stopObservingFrame(); }

void NSUIOGLCGContextView::stopObservingFrame() {
  NSNotificationCenter::defaultCenter()->removeObserver_name_object(this, NSViewFrameDidChangeNotification,
                                                                    this);
}

void NSUIOGLCGContextView::dealloc() {
  stopObservingFrame();
  _glContext = nullptr;
  _glPixelFormat = nullptr;
  NSView::dealloc();
}
