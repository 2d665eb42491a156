#pragma once
// GL work that an object does for itself, whichever thread runs it (a release, a surface
// change): on the context current there, under its lock; on a thread with none current, on
// the shared context (when it exists), made current for the work only. A texture released
// on a thread without a context would otherwise keep its name, and the surface it shows,
// for the life of the process.
#include <OpenGL/OpenGL.h>

#include "NSOGLSharingContext.h"

namespace OpenGL {

template <class Work>
void inSomeContext(Work work) {
  if (CGLContextObj current = CGLGetCurrentContext()) {
    CGLLockContext(current);
    work();
    CGLUnlockContext(current);
    return;
  }
  CGLContextObj shared = NSOGLSharingContext::existingSharedContextObj();
  if (!shared) return;
  CGLSetCurrentContext(shared);
  CGLLockContext(shared);
  work();
  CGLUnlockContext(shared);
  CGLSetCurrentContext(nullptr);
}

}  // namespace OpenGL
