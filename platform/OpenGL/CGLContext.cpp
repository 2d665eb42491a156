// Contexts: creation and lifetime, the lock, parameters and virtual screens.
#include <OpenGL/OpenGL.h>

#include "backend/ContextObjects.h"
#include "backend/DrawableAttachment.h"
#include "backend/EGLConnection.h"
#include "backend/ThreadContexts.h"

CGLError CGLCreateContext(CGLPixelFormatObj pix, CGLContextObj share, CGLContextObj* ctx) {
  (void)share;  // every context shares with every other
  if (!ctx) return kCGLBadAddress;
  *ctx = nullptr;
  if (!pix) return kCGLBadPixelFormat;
  if (OpenGLBackend::eglDisplay() == EGL_NO_DISPLAY) return kCGLBadConnection;
  *ctx = new _CGLContextObject(CGLRetainPixelFormat(pix));
  return kCGLNoError;
}

CGLContextObj CGLRetainContext(CGLContextObj ctx) {
  if (ctx) ctx->retainCount.fetch_add(1);
  return ctx;
}

void CGLReleaseContext(CGLContextObj ctx) {
  if (!ctx || ctx->retainCount.fetch_sub(1) != 1) return;
  OpenGLBackend::forgetContext(ctx);
  CGLReleasePixelFormat(ctx->pixelFormat);
  delete ctx;
}

CGLError CGLDestroyContext(CGLContextObj ctx) {
  if (!ctx) return kCGLBadContext;
  if (CGLGetCurrentContext() == ctx) CGLSetCurrentContext(nullptr);
  CGLReleaseContext(ctx);
  return kCGLNoError;
}

GLuint CGLGetContextRetainCount(CGLContextObj ctx) { return ctx ? ctx->retainCount.load() : 0; }

CGLPixelFormatObj CGLGetPixelFormat(CGLContextObj ctx) { return ctx ? ctx->pixelFormat : nullptr; }

CGLError CGLLockContext(CGLContextObj ctx) {
  if (!ctx) return kCGLBadContext;
  ctx->lock.lock();
  return kCGLNoError;
}

CGLError CGLUnlockContext(CGLContextObj ctx) {
  if (!ctx) return kCGLBadContext;
  ctx->lock.unlock();
  return kCGLNoError;
}

CGLError CGLSetParameter(CGLContextObj ctx, CGLContextParameter pname, const GLint* params) {
  if (!ctx) return kCGLBadContext;
  if (!params) return kCGLBadAddress;
  {
    std::lock_guard<std::mutex> state(ctx->stateMutex);
    switch (pname) {
      case kCGLCPSwapInterval:
        ctx->swapInterval = params[0];
        return kCGLNoError;
      case kCGLCPSurfaceOrder:
        ctx->surfaceOrder = params[0];
        return kCGLNoError;
      case kCGLCPSurfaceOpacity:
        ctx->surfaceOpacity = params[0];
        return kCGLNoError;
      case kCGLCPSurfaceBackingSize:
        if (params[0] <= 0 || params[1] <= 0) return kCGLBadValue;
        ctx->backingSize[0] = params[0];
        ctx->backingSize[1] = params[1];
        break;
      default:
        return kCGLBadEnumeration;
    }
  }
  OpenGLBackend::applyDrawableSize(ctx);
  return kCGLNoError;
}

CGLError CGLGetParameter(CGLContextObj ctx, CGLContextParameter pname, GLint* params) {
  if (!ctx) return kCGLBadContext;
  if (!params) return kCGLBadAddress;
  std::lock_guard<std::mutex> state(ctx->stateMutex);
  switch (pname) {
    case kCGLCPSwapInterval:
      params[0] = ctx->swapInterval;
      return kCGLNoError;
    case kCGLCPSurfaceOrder:
      params[0] = ctx->surfaceOrder;
      return kCGLNoError;
    case kCGLCPSurfaceOpacity:
      params[0] = ctx->surfaceOpacity;
      return kCGLNoError;
    case kCGLCPSurfaceBackingSize:
      params[0] = ctx->backingSize[0];
      params[1] = ctx->backingSize[1];
      return kCGLNoError;
    case kCGLCPHasDrawable:
      params[0] = ctx->drawable.exists() ? 1 : 0;
      return kCGLNoError;
    default:
      return kCGLBadEnumeration;
  }
}

namespace {

CGLError setEnabled(CGLContextObj ctx, CGLContextEnable pname, bool enabled) {
  if (!ctx) return kCGLBadContext;
  if (pname != kCGLCESurfaceBackingSize) return kCGLBadEnumeration;
  {
    std::lock_guard<std::mutex> state(ctx->stateMutex);
    ctx->backingSizeEnabled = enabled;
  }
  OpenGLBackend::applyDrawableSize(ctx);
  return kCGLNoError;
}

}  // namespace

CGLError CGLEnable(CGLContextObj ctx, CGLContextEnable pname) { return setEnabled(ctx, pname, true); }

CGLError CGLDisable(CGLContextObj ctx, CGLContextEnable pname) { return setEnabled(ctx, pname, false); }

CGLError CGLIsEnabled(CGLContextObj ctx, CGLContextEnable pname, GLint* enable) {
  if (!ctx) return kCGLBadContext;
  if (!enable) return kCGLBadAddress;
  if (pname != kCGLCESurfaceBackingSize) return kCGLBadEnumeration;
  std::lock_guard<std::mutex> state(ctx->stateMutex);
  *enable = ctx->backingSizeEnabled ? 1 : 0;
  return kCGLNoError;
}

CGLError CGLSetVirtualScreen(CGLContextObj ctx, GLint screen) {
  if (!ctx) return kCGLBadContext;
  return screen == 0 ? kCGLNoError : kCGLBadValue;
}

CGLError CGLGetVirtualScreen(CGLContextObj ctx, GLint* screen) {
  if (!ctx) return kCGLBadContext;
  if (!screen) return kCGLBadAddress;
  *screen = 0;
  return kCGLNoError;
}

const char* CGLErrorString(CGLError error) {
  switch (error) {
    case kCGLNoError:
      return "no error";
    case kCGLBadAttribute:
      return "invalid pixel format attribute";
    case kCGLBadProperty:
      return "invalid renderer property";
    case kCGLBadPixelFormat:
      return "invalid pixel format";
    case kCGLBadRendererInfo:
      return "invalid renderer info";
    case kCGLBadContext:
      return "invalid context";
    case kCGLBadDrawable:
      return "invalid drawable";
    case kCGLBadDisplay:
      return "invalid graphics device";
    case kCGLBadState:
      return "invalid context state";
    case kCGLBadValue:
      return "invalid numerical value";
    case kCGLBadMatch:
      return "invalid share context";
    case kCGLBadEnumeration:
      return "invalid enumerant";
    case kCGLBadOffScreen:
      return "invalid offscreen drawable";
    case kCGLBadFullScreen:
      return "invalid fullscreen drawable";
    case kCGLBadWindow:
      return "invalid window";
    case kCGLBadAddress:
      return "invalid pointer";
    case kCGLBadCodeModule:
      return "invalid code module";
    case kCGLBadAlloc:
      return "invalid memory allocation";
    case kCGLBadConnection:
      return "invalid connection to the window server";
  }
  return "unknown error";
}
