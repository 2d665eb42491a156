#pragma once
// Threads as objects. The main thread is the process's first thread (its id is the process id).
#include <sys/types.h>

#include <functional>

#include <CoreFoundation/CFString.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSThread : public NSObject {
  OBJC_CLASS_DECL(NSThread, NSObject)

 public:
  static bool isMainThread();
  // One object per thread, kept while the thread lives.
  static NSThread* currentThread();
  static NSThread* mainThread();
  // Runs the target's method of the selector (objc/MethodTable.h) with the argument, or the
  // block, on a new thread with its own autorelease pool; target and argument are retained
  // until it ends. An NSException that escapes is logged and ends only that thread.
  static void detachNewThreadSelector_toTarget_withObject(SEL selector, NSObject* target, NSObject* argument);
  static void detachNewThreadWithBlock(std::function<void()> block);

  NSString* name() const;
  void setName(NSString* name);
  pid_t threadID() const { return mThreadID; }

 protected:
  NSThread() = default;
  ~NSThread() override;

 private:
  friend struct ThreadObjects;
  pid_t mThreadID = 0;
  CFStringRef mName = nullptr;
};

#pragma GCC visibility pop
