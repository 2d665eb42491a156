#include "DrawableAttachment.h"

#include "ContextObjects.h"
#include "ThreadContexts.h"

namespace OpenGLBackend {
namespace {

// Under the context's state mutex, with one of its EGL contexts current.
void realizeDrawable(CGLContextObj ctx) {
  const bool explicitSize = ctx->backingSizeEnabled && ctx->backingSize[0] > 0 && ctx->backingSize[1] > 0;
  Drawable& drawable = ctx->drawable;
  drawable.realize(explicitSize ? ctx->backingSize[0] : drawable.attachedWidth,
                   explicitSize ? ctx->backingSize[1] : drawable.attachedHeight,
                   ctx->pixelFormat->value(kCGLPFADepthSize), ctx->pixelFormat->value(kCGLPFAStencilSize));
}

}  // namespace

void applyDrawableSize(CGLContextObj ctx) {
  {
    std::lock_guard<std::mutex> state(ctx->stateMutex);
    if (!ctx->drawable.exists()) return;
  }
  ContextScope scope(ctx);
  if (!scope.ok()) return;
  std::lock_guard<std::mutex> state(ctx->stateMutex);
  if (ctx->drawable.exists()) realizeDrawable(ctx);
}

CGLError attachDrawable(CGLContextObj ctx, GLint width, GLint height, CGLDrawablePresenter presenter,
                        void* info) {
  ContextScope scope(ctx);
  if (!scope.ok()) return kCGLBadContext;
  {
    std::lock_guard<std::mutex> state(ctx->stateMutex);
    Drawable& drawable = ctx->drawable;
    drawable.attachedWidth = width;
    drawable.attachedHeight = height;
    drawable.presenter = presenter;
    drawable.presenterInfo = info;
    realizeDrawable(ctx);
  }
  bindDrawableHere(ctx);
  return kCGLNoError;
}

CGLError detachDrawable(CGLContextObj ctx) {
  ContextScope scope(ctx);
  if (!scope.ok()) return kCGLBadContext;
  {
    std::lock_guard<std::mutex> state(ctx->stateMutex);
    Drawable& drawable = ctx->drawable;
    drawable.destroy();
    drawable.presenter = nullptr;
    drawable.presenterInfo = nullptr;
  }
  bindDrawableHere(ctx);
  return kCGLNoError;
}

}  // namespace OpenGLBackend
