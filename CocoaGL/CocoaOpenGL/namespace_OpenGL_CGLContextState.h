#pragma once
// Scoped context guards: a guard makes a context current for its scope and makes the context
// that was current before current again when the scope ends (also when an exception passes).
// When no context was current before, the guard's context stays current. The lock guard also
// holds the context's CGL lock for the whole scope, so that GL work of several threads on
// one context never overlaps; the lock is recursive on one thread, so guards nest.
#include <OpenGL/OpenGL.h>

namespace OpenGL {

class CGLContextState {
 public:
  explicit CGLContextState(CGLContextObj context) { CGLContextState::SetContext(context); }
  // Guards the context current now.
  CGLContextState() { CGLContextState::SetContext(CGLGetCurrentContext()); }
  // Guards the context of an object that answers CGLContextObj (an NSOpenGLContext, a view or
  // a renderer); a null object guards nothing.
  template <class ContextOwner>
  explicit CGLContextState(ContextOwner* owner) {
    CGLContextState::SetContext(owner ? owner->CGLContextObj() : nullptr);
  }
  virtual ~CGLContextState() { CGLContextState::RestoreContext(); }
  CGLContextState(const CGLContextState&) = delete;
  CGLContextState& operator=(const CGLContextState&) = delete;

  virtual void SetContext(CGLContextObj context);
  virtual void RestoreContext();

  CGLContextObj contextObj() const { return context; }

 protected:
  ::CGLContextObj context = nullptr;
  ::CGLContextObj previous = nullptr;
};

class CGLContextStateLock : public CGLContextState {
 public:
  explicit CGLContextStateLock(CGLContextObj ctx) : CGLContextState(ctx) { lockContext(); }
  CGLContextStateLock() { lockContext(); }
  template <class ContextOwner>
  explicit CGLContextStateLock(ContextOwner* owner) : CGLContextState(owner) {
    lockContext();
  }
  ~CGLContextStateLock() override { unlockContext(); }

  void SetContext(CGLContextObj ctx) override;
  void RestoreContext() override;

  bool isLocked() const { return locked; }

 private:
  void lockContext();
  void unlockContext();

  bool locked = false;
};

}  // namespace OpenGL
