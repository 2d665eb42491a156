#pragma once
// The run loop of a thread, over its CFRunLoop: it waits for timers, sources and performed
// calls and runs them on its thread.
#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSDate;
class NSPort;
class NSTimer;

typedef NSString* NSRunLoopMode;
FOUNDATION_EXPORT NSString* const NSDefaultRunLoopMode;
FOUNDATION_EXPORT NSString* const NSRunLoopCommonModes;

class NSRunLoop : public NSObject {
  OBJC_CLASS_DECL(NSRunLoop, NSObject)

 public:
  // One object per thread, kept while the thread lives.
  static NSRunLoop* currentRunLoop();
  static NSRunLoop* mainRunLoop();

  CFRunLoopRef getCFRunLoop() const { return mRunLoop; }
  NSString* currentMode() const;

  // Runs in the default mode until nothing is left to wait for.
  void run();
  // Runs in the default mode until the date, or sooner when nothing is left to wait for.
  void runUntilDate(NSDate* limitDate);
  // Runs once in the mode: handles one source or waits until the date; false when the mode
  // has nothing to wait for.
  bool runMode_beforeDate(NSString* mode, NSDate* limitDate);

  void addTimer_forMode(NSTimer* timer, NSString* mode);
  // The port's messages are handled by this loop (NSPort.h).
  void addPort_forMode(NSPort* port, NSString* mode);
  void removePort_forMode(NSPort* port, NSString* mode);

 protected:
  NSRunLoop() = default;

 private:
  friend struct RunLoopObjects;
  CFRunLoopRef mRunLoop = nullptr;
};

#pragma GCC visibility pop
