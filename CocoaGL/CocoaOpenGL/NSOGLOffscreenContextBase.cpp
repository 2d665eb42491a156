#include "NSOGLOffscreenContextBase.h"

#include "NSOGLSharingContext.h"
#include "OpenGLErrors.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLOffscreenContextBase)

NSObject* NSOGLOffscreenContextBase::init() {
  setLock(adopt(static_cast<NSRecursiveLock*>(NSRecursiveLock::alloc()->init())).get());
  return this;
}

void NSOGLOffscreenContextBase::dealloc() {
  setLock(nullptr);
  NSObject::dealloc();
}

RefPtr<NSRecursiveLock> NSOGLOffscreenContextBase::lock() const { return mLock.get(); }

void NSOGLOffscreenContextBase::setLock(NSRecursiveLock* lock) { mLock.set(RefPtr<NSRecursiveLock>(lock)); }

NSOpenGLPixelFormat* NSOGLOffscreenContextBase::defaultSharedPixelFormat() {
  return NSOGLSharingContext::defaultSharedPixelFormat();
}

void NSOGLOffscreenContextBase::reshapeOpenGLContext(CGRect rect) {
  NSOpenGLContext* context = openGLContext();
  if (!context) return;
  OpenGL::CGLContextStateLock guard(context);
  const auto width = static_cast<GLint>(rect.size.width), height = static_cast<GLint>(rect.size.height);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  OpenGL::drainErrors();
}
