#pragma once
// @synchronized on a class: one recursive lock per class object, so that the thread holding
// it may take it again (a singleton's init that makes another instance of its class).
//   OBJC_SYNCHRONIZED(cls) { ... }
#include <mutex>

#include <objc/runtime.h>

#pragma GCC visibility push(default)

std::recursive_mutex& class_getLock(Class cls);

#define OBJC_SYNCHRONIZED_CONCAT2(a, b) a##b
#define OBJC_SYNCHRONIZED_CONCAT(a, b) OBJC_SYNCHRONIZED_CONCAT2(a, b)
#define OBJC_SYNCHRONIZED(cls)                                                                           \
  if (std::lock_guard<std::recursive_mutex> OBJC_SYNCHRONIZED_CONCAT(objc_synchronized_, __LINE__)( \
          class_getLock(cls));                                                                       \
      true)

#pragma GCC visibility pop
