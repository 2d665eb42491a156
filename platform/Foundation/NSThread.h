#pragma once
// Threads as objects. The main thread is the process's first thread (its id is the process id).
#include <sys/types.h>

#include <atomic>
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

  // A thread made to be started later: it runs main(), which by default performs the
  // selector on the target with the argument (or runs the block).
  NSThread* initWithTarget_selector_object(NSObject* target, SEL selector, NSObject* argument);
  NSThread* initWithBlock(std::function<void()> block);
  // Starts the thread, once: it gets the object's name, its own autorelease pool, and keeps
  // the object (and what it runs) until main returns.
  void start();
  virtual void main();
  // Only marks the thread: its code asks isCancelled and ends by itself.
  void cancel();
  bool isCancelled() const { return mCancelled.load(); }
  bool isExecuting() const { return mState.load() == State::Executing; }
  bool isFinished() const { return mState.load() == State::Finished; }

  NSString* name() const;
  void setName(NSString* name);
  pid_t threadID() const { return mThreadID; }

 protected:
  NSThread() = default;
  ~NSThread() override;

 private:
  friend struct ThreadObjects;
  enum class State { New, Executing, Finished };
  std::atomic<pid_t> mThreadID{0};
  CFStringRef mName = nullptr;
  RefPtr<NSObject> mTarget;
  SEL mSelector = nullptr;
  RefPtr<NSObject> mArgument;
  std::function<void()> mBlock;
  std::atomic<bool> mStarted{false};
  std::atomic<bool> mCancelled{false};
  std::atomic<State> mState{State::New};
};

#pragma GCC visibility pop
