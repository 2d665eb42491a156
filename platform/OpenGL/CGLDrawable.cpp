// The drawable of a context: attached by the window layer, presented by CGLFlushDrawable.
#include <OpenGL/CGLDrawable.h>
#include <OpenGL/OpenGL.h>

#include <vector>

#include "backend/ContextObjects.h"
#include "backend/DrawableAttachment.h"
#include "backend/ThreadContexts.h"

CGLError _CGLAttachDrawable(CGLContextObj ctx, GLint width, GLint height, CGLDrawablePresenter presenter,
                            void* info) {
  if (!ctx) return kCGLBadContext;
  return OpenGLBackend::attachDrawable(ctx, width, height, presenter, info);
}

CGLError _CGLDetachDrawable(CGLContextObj ctx) {
  if (!ctx) return kCGLBadContext;
  return OpenGLBackend::detachDrawable(ctx);
}

CGLError CGLFlushDrawable(CGLContextObj ctx) {
  if (!ctx) return kCGLBadContext;
  OpenGLBackend::ContextScope scope(ctx);
  if (!scope.ok()) return kCGLBadContext;
  std::vector<uint8_t> pixels;
  CGLDrawablePresenter presenter = nullptr;
  void* info = nullptr;
  GLint width = 0, height = 0;
  {
    std::lock_guard<std::mutex> state(ctx->stateMutex);
    const OpenGLBackend::Drawable& drawable = ctx->drawable;
    if (drawable.exists()) {
      pixels = drawable.readTopDown();
      presenter = drawable.presenter;
      info = drawable.presenterInfo;
      width = drawable.width();
      height = drawable.height();
    }
  }
  if (!presenter) {
    glFlush();
    return kCGLNoError;
  }
  presenter(info, pixels.data(), static_cast<size_t>(width), static_cast<size_t>(height),
            static_cast<size_t>(width) * 4);
  return kCGLNoError;
}
