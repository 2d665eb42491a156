#pragma once
// What a CGL pixel format and a CGL context are in this layer.
//
// A context is logical: EGL lets one EGL context be current on one thread only, while a CGL
// context may be current on several. So a context holds one EGL context per thread that
// uses it (ThreadContexts.h), all in the process's one share group; each thread has its own
// GL state of the context over the shared objects. Its lock is what CGLLockContext takes.
#include <OpenGL/CGLDrawable.h>
#include <OpenGL/CGLTypes.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "Drawable.h"

struct _CGLPixelFormatObject {
  std::atomic<GLuint> retainCount{1};
  // Every attribute's value in the format (booleans 0 or 1), and whether it was given.
  static constexpr int kAttributeLimit = 129;
  GLint values[kAttributeLimit] = {};
  bool given[kAttributeLimit] = {};

  GLint value(CGLPixelFormatAttribute attribute) const {
    return attribute >= 0 && attribute < kAttributeLimit ? values[attribute] : 0;
  }
  void set(CGLPixelFormatAttribute attribute, GLint value) {
    values[attribute] = value;
    given[attribute] = true;
  }
};

namespace OpenGLBackend {
struct ThreadState;
}

struct _CGLContextObject {
  explicit _CGLContextObject(CGLPixelFormatObj format) : pixelFormat(format) {}

  std::atomic<GLuint> retainCount{1};
  const CGLPixelFormatObj pixelFormat;  // retained
  std::recursive_mutex lock;

  // Parameters and the drawable, under stateMutex.
  std::mutex stateMutex;
  GLint swapInterval = 0;
  GLint surfaceOrder = 1;
  GLint surfaceOpacity = 1;
  GLint backingSize[2] = {0, 0};
  bool backingSizeEnabled = false;
  OpenGLBackend::Drawable drawable;

  // The threads that have an EGL context of this context (under the thread registry's lock).
  std::vector<OpenGLBackend::ThreadState*> threads;
};
