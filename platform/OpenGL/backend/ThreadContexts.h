#pragma once
// The EGL contexts behind logical CGL contexts: one per thread that uses a CGL context,
// made on first use, all in the one share group, and destroyed when the thread ends or the
// CGL context goes. Also the CGL context current on each thread.
#include <EGL/egl.h>
#include <OpenGL/CGLTypes.h>

namespace OpenGLBackend {

// Makes ctx (or none) current on this thread, retaining the new one and releasing the old.
// kCGLBadContext when no EGL context can be made for it.
CGLError setCurrentContext(CGLContextObj ctx);
CGLContextObj currentContext();

// Drops every thread's EGL context of a context whose last reference went, deleting its
// drawable's GL objects on the way.
void forgetContext(CGLContextObj ctx);

// Makes this thread's EGL context of ctx current for the scope, whatever CGL context is
// current, and puts the thread's EGL context back at the end. For work a call does on a
// context it was given; ok() says whether a context could be made current.
class ContextScope {
 public:
  explicit ContextScope(CGLContextObj ctx);
  ~ContextScope();
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;
  bool ok() const { return mOk; }

 private:
  EGLContext mPrevious = EGL_NO_CONTEXT;
  bool mSwitched = false;
  bool mOk = false;
};

// From the time the process begins to exit, a thread that ends leaves its EGL contexts to go
// with the process: EGL finalizes itself in its own exit handler while threads the process never
// joined may still be ending. Called once EGL is up, so that this handler runs before EGL's.
void stopThreadTeardownAtExit();

// Binds a context's new drawable framebuffer on this thread, after its drawable was made or
// taken away by this thread (see ContextObjects.h).
void bindDrawableHere(CGLContextObj ctx);

}  // namespace OpenGLBackend
