#include <Foundation/NSArray.h>
#include <Foundation/NSException.h>
#include <Foundation/NSString.h>
#include <Foundation/NSTask.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

OBJC_CLASS_DEFINE(NSTask)

NSTask* NSTask::launchedTaskWithLaunchPath_arguments(NSString* path, NSArray* arguments) {
  RefPtr<NSTask> task = adopt(static_cast<NSTask*>(NSTask::alloc()->init()));
  task->setLaunchPath(path);
  task->setArguments(arguments);
  task->launch();
  return static_cast<NSTask*>(task.leak()->autorelease());
}

NSString* NSTask::launchPath() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mLaunchPath.get();
}

void NSTask::setLaunchPath(NSString* path) {
  RefPtr<NSString> copy = path ? adopt(toNSString(CFStringCreateCopy(nullptr, path->cfString()))) : nullptr;
  std::lock_guard<std::mutex> guard(mLock);
  mLaunchPath = copy;
}

NSArray* NSTask::arguments() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mArguments.get();
}

void NSTask::setArguments(NSArray* arguments) {
  RefPtr<NSArray> copy = arguments ? adopt(arguments->copy()) : nullptr;
  std::lock_guard<std::mutex> guard(mLock);
  mArguments = copy;
}

void NSTask::launch() {
  std::unique_lock<std::mutex> guard(mLock);
  if (mPid != 0) NSException::raise_format(NSInvalidArgumentException, NSSTR("task already launched"));
  if (!mLaunchPath) NSException::raise_format(NSInvalidArgumentException, NSSTR("must provide launch path"));
  std::vector<std::string> command{mLaunchPath->UTF8String()};
  if (mArguments) {
    for (NSObject* argument : *mArguments) {
      if (!argument || !argument->isKindOfClass(NSString::class_())) {
        NSException::raise_format(NSInvalidArgumentException, NSSTR("argument is not a string: %@"),
                                  argument);
      }
      command.emplace_back(static_cast<NSString*>(argument)->UTF8String());
    }
  }
  std::vector<char*> argv;
  for (std::string& argument : command) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    NSException::raise_format(NSInvalidArgumentException, NSSTR("launch path not accessible: %s (%s)"),
                              argv[0], strerror(error));
  }
  mPid = pid;
}

int NSTask::processIdentifier() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mPid;
}

bool NSTask::reap(bool block) {
  std::lock_guard<std::mutex> guard(mLock);
  if (mPid == 0) return false;
  if (mEnded) return true;
  int status = 0;
  pid_t reaped;
  do {
    reaped = waitpid(mPid, &status, block ? 0 : WNOHANG);
  } while (reaped < 0 && errno == EINTR);
  if (reaped == 0) return false;
  mEnded = true;
  if (reaped < 0) {
    // Someone else reaped it: it has ended, how is unknown.
    mReason = NSTaskTerminationReasonExit;
    mStatus = -1;
  } else if (WIFSIGNALED(status)) {
    mReason = NSTaskTerminationReasonUncaughtSignal;
    mStatus = WTERMSIG(status);
  } else {
    mReason = NSTaskTerminationReasonExit;
    mStatus = WEXITSTATUS(status);
  }
  return true;
}

bool NSTask::isRunning() { return processIdentifier() != 0 && !reap(false); }

void NSTask::waitUntilExit() { reap(true); }

int NSTask::terminationStatus() const {
  std::lock_guard<std::mutex> guard(mLock);
  if (!mEnded) NSException::raise_format(NSInvalidArgumentException, NSSTR("task still running"));
  return mStatus;
}

NSTaskTerminationReason NSTask::terminationReason() const {
  std::lock_guard<std::mutex> guard(mLock);
  if (!mEnded) NSException::raise_format(NSInvalidArgumentException, NSSTR("task still running"));
  return mReason;
}
