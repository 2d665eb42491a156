#include "ThreadContexts.h"

#include <OpenGL/OpenGL.h>
#include <pthread.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "ContextObjects.h"
#include "EGLConnection.h"
#include "RealGL.h"

namespace OpenGLBackend {

namespace {

struct ThreadEntry {
  CGLContextObj ctx;
  EGLContext egl;
  // The drawable framebuffer this thread's context last bound, and of which generation.
  unsigned drawableGeneration = 0;
  GLuint drawableFramebuffer = 0;
};

// Guards every ThreadState's entries and every context's thread list.
std::mutex& registryMutex() {
  static std::mutex* const sMutex = new std::mutex;
  return *sMutex;
}

bool sProcessExiting = false;

void noteProcessExiting() {
  std::lock_guard<std::mutex> lock(registryMutex());
  sProcessExiting = true;
}

void makeEGLCurrent(EGLContext context) {
  eglMakeCurrent(eglDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, context);
}

}  // namespace

void stopThreadTeardownAtExit() { std::atexit(noteProcessExiting); }

struct ThreadState {
  CGLContextObj current = nullptr;  // retained
  // Owned one by one: another thread may drop an entry while this one uses another.
  std::vector<std::unique_ptr<ThreadEntry>> entries;

  ~ThreadState();

  // This thread's entry for ctx, made when missing; null when EGL cannot make a context.
  ThreadEntry* entryFor(CGLContextObj ctx) {
    std::lock_guard<std::mutex> lock(registryMutex());
    for (const auto& entry : entries)
      if (entry->ctx == ctx) return entry.get();
    EGLContext context = createSharedContext();
    if (context == EGL_NO_CONTEXT) return nullptr;
    ctx->threads.push_back(this);
    entries.push_back(std::make_unique<ThreadEntry>(ThreadEntry{ctx, context}));
    return entries.back().get();
  }
};

// Set once the thread's state has gone at thread exit: objects that the thread's last
// autorelease pool releases afterwards must not reach it (a trivially destructible flag stays
// readable until the thread's storage goes).
thread_local bool tThreadStateGone = false;

ThreadState::~ThreadState() {
  CGLContextObj wasCurrent = std::exchange(current, nullptr);
  std::vector<EGLContext> contexts;
  bool exiting = false;
  {
    std::lock_guard<std::mutex> lock(registryMutex());
    for (const auto& entry : entries) {
      std::erase(entry->ctx->threads, this);
      contexts.push_back(entry->egl);
    }
    entries.clear();
    exiting = sProcessExiting;
  }
  if (!contexts.empty() && !exiting) {
    makeEGLCurrent(EGL_NO_CONTEXT);
    for (EGLContext context : contexts) eglDestroyContext(eglDisplay(), context);
    eglReleaseThread();
  }
  if (wasCurrent) CGLReleaseContext(wasCurrent);
  tThreadStateGone = true;
}

namespace {

// Each thread's state lives until the thread's keys are destroyed, which is after its
// thread_local objects (an autorelease pool among them) have let their objects go: releasing a
// context may need the thread's EGL contexts. The main thread's state is never destroyed; it
// ends with the process.
thread_local ThreadState* tState = nullptr;

void destroyThreadState(void* state) {
  // A state made again during the teardown is destroyed in a later round of the keys.
  tState = nullptr;
  delete static_cast<ThreadState*>(state);
}

pthread_key_t threadStateKey() {
  static const pthread_key_t sKey = [] {
    pthread_key_t key;
    pthread_key_create(&key, destroyThreadState);
    return key;
  }();
  return sKey;
}

ThreadState& threadState() {
  if (!tState) {
    tState = new ThreadState;
    pthread_setspecific(threadStateKey(), tState);
  }
  return *tState;
}

// Makes the context's drawable framebuffer this thread's framebuffer 0 once it changed,
// unless the thread is drawing into a framebuffer of its own.
void syncDrawable(CGLContextObj ctx, ThreadEntry& entry) {
  std::lock_guard<std::mutex> state(ctx->stateMutex);
  const Drawable& drawable = ctx->drawable;
  if (entry.drawableGeneration == drawable.generation()) return;
  GLint bound = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
  if (bound == 0 || static_cast<GLuint>(bound) == entry.drawableFramebuffer) {
    realGL().bindFramebuffer(GL_FRAMEBUFFER, drawable.framebuffer());
    if (drawable.exists()) glViewport(0, 0, drawable.width(), drawable.height());
  }
  entry.drawableGeneration = drawable.generation();
  entry.drawableFramebuffer = drawable.framebuffer();
}

// Makes the entry's EGL context current when it is not; answers whether it switched.
bool enter(ThreadEntry& entry) {
  if (eglGetCurrentContext() == entry.egl) return false;
  makeEGLCurrent(entry.egl);
  return true;
}

}  // namespace

CGLError setCurrentContext(CGLContextObj ctx) {
  if (tThreadStateGone) return ctx ? kCGLBadContext : kCGLNoError;
  ThreadState& state = threadState();
  if (ctx) {
    ThreadEntry* entry = state.entryFor(ctx);
    if (!entry) return kCGLBadContext;
    enter(*entry);
    syncDrawable(ctx, *entry);
    CGLRetainContext(ctx);
  } else {
    makeEGLCurrent(EGL_NO_CONTEXT);
  }
  if (CGLContextObj previous = std::exchange(state.current, ctx)) CGLReleaseContext(previous);
  return kCGLNoError;
}

CGLContextObj currentContext() { return tThreadStateGone ? nullptr : threadState().current; }

void forgetContext(CGLContextObj ctx) {
  std::vector<EGLContext> contexts;
  {
    std::lock_guard<std::mutex> lock(registryMutex());
    for (ThreadState* thread : ctx->threads) {
      auto& entries = thread->entries;
      for (auto it = entries.begin(); it != entries.end();) {
        if ((*it)->ctx == ctx) {
          contexts.push_back((*it)->egl);
          it = entries.erase(it);
        } else {
          ++it;
        }
      }
    }
    ctx->threads.clear();
  }
  if (contexts.empty()) return;
  // None of them is current anywhere: a current context is never the last reference's.
  const EGLContext previous = eglGetCurrentContext();
  makeEGLCurrent(contexts.front());
  {
    std::lock_guard<std::mutex> state(ctx->stateMutex);
    ctx->drawable.destroy();
  }
  makeEGLCurrent(previous);
  for (EGLContext context : contexts) eglDestroyContext(eglDisplay(), context);
}

ContextScope::ContextScope(CGLContextObj ctx) {
  if (!ctx || tThreadStateGone) return;
  ThreadEntry* entry = threadState().entryFor(ctx);
  if (!entry) return;
  mPrevious = eglGetCurrentContext();
  mSwitched = enter(*entry);
  syncDrawable(ctx, *entry);
  mOk = true;
}

ContextScope::~ContextScope() {
  if (mSwitched) makeEGLCurrent(mPrevious);
}

void bindDrawableHere(CGLContextObj ctx) {
  if (tThreadStateGone) return;
  ThreadEntry* entry = threadState().entryFor(ctx);
  if (entry) syncDrawable(ctx, *entry);
}

}  // namespace OpenGLBackend
