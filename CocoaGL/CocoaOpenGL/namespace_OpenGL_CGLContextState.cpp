#include "namespace_OpenGL_CGLContextState.h"

namespace OpenGL {

void CGLContextState::SetContext(CGLContextObj ctx) {
  context = nullptr;
  previous = nullptr;
  if (!ctx) return;
  previous = CGLGetCurrentContext();
  context = ctx;
  CGLSetCurrentContext(ctx);
}

void CGLContextState::RestoreContext() {
  if (previous) CGLSetCurrentContext(previous);
  context = nullptr;
  previous = nullptr;
}

void CGLContextStateLock::lockContext() { locked = context && CGLLockContext(context) == kCGLNoError; }

void CGLContextStateLock::unlockContext() {
  if (locked && context) CGLUnlockContext(context);
  locked = false;
}

void CGLContextStateLock::SetContext(CGLContextObj ctx) {
  unlockContext();
  CGLContextState::SetContext(ctx);
  lockContext();
}

void CGLContextStateLock::RestoreContext() {
  unlockContext();
  CGLContextState::RestoreContext();
}

}  // namespace OpenGL
