#pragma once
// A program run as a child process (posix_spawn), sharing this process's environment, working
// folder and standard input, output and error. The task is reaped when it is asked about
// (isRunning, waitUntilExit), so ask until it has ended.
#include <mutex>

#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <objc/RefPtr.h>

#pragma GCC visibility push(default)

class NSArray;
class NSString;

typedef NSInteger NSTaskTerminationReason;
enum : NSInteger {
  NSTaskTerminationReasonExit = 1,
  NSTaskTerminationReasonUncaughtSignal = 2,
};

class __attribute__((visibility("default"))) NSTask : public NSObject {
  OBJC_CLASS_DECL(NSTask, NSObject)

 public:
  // A task already launched, autoreleased. Raises NSInvalidArgumentException when the program
  // cannot be run.
  static NSTask* launchedTaskWithLaunchPath_arguments(NSString* path, NSArray* arguments);

  NSString* launchPath() const;
  void setLaunchPath(NSString* path);
  NSArray* arguments() const;
  // The arguments after argv[0] (which is the launch path); every one must be a string.
  void setArguments(NSArray* arguments);

  // Raises NSInvalidArgumentException when there is no launch path, an argument is not a
  // string or the program cannot be run, and NSInvalidArgumentException for a second launch.
  void launch();
  int processIdentifier() const;
  bool isRunning();
  void waitUntilExit();
  // The exit status, or the signal's number for a task a signal ended. Raises
  // NSInvalidArgumentException while the task has not been launched or still runs.
  int terminationStatus() const;
  NSTaskTerminationReason terminationReason() const;

 protected:
  NSTask() = default;

 private:
  // Records how the task ended; false while it runs.
  bool reap(bool block);

  mutable std::mutex mLock;
  RefPtr<NSString> mLaunchPath;
  RefPtr<NSArray> mArguments;
  int mPid = 0;
  bool mEnded = false;
  int mStatus = 0;
  NSTaskTerminationReason mReason = 0;
};

#pragma GCC visibility pop
