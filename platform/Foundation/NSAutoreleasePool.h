#pragma once
// An autorelease pool as an object: objects autoreleased on this thread while it is the
// innermost pool are released when it drains. Pools nest and belong to the thread that made them.
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSAutoreleasePool : public NSObject {
  OBJC_CLASS_DECL(NSAutoreleasePool, NSObject)

 public:
  NSAutoreleasePool* init() override;
  // Releases the pool's objects (and those of pools made inside it), then the pool itself.
  void drain();

 protected:
  NSAutoreleasePool() = default;

 private:
  void* mPool = nullptr;
};

#pragma GCC visibility pop
