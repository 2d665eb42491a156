#include <Foundation/NSThread.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>

OBJC_CLASS_DEFINE(NSThread)

struct ThreadObjects {
  static NSThread* make(pid_t threadID) {
    auto* thread = new NSThread();
    thread->mThreadID = threadID;
    return thread;
  }
};

static pid_t currentThreadID() { return pid_t(syscall(SYS_gettid)); }

bool NSThread::isMainThread() { return currentThreadID() == getpid(); }

NSThread* NSThread::mainThread() {
  static NSThread* const thread = [] {
    NSThread* made = ThreadObjects::make(getpid());
    made->makeImmortal();
    return made;
  }();
  return thread;
}

NSThread* NSThread::currentThread() {
  if (isMainThread()) return mainThread();
  thread_local RefPtr<NSThread> thread = adopt(ThreadObjects::make(currentThreadID()));
  return thread.get();
}

NSThread::~NSThread() {
  if (mName) CFRelease(mName);
}

NSString* NSThread::name() const { return mName ? toNSString(mName) : NSString::string(); }

void NSThread::setName(NSString* name) {
  CFStringRef copy = name ? CFStringCreateCopy(nullptr, name->cfString()) : nullptr;
  if (mName) CFRelease(mName);
  mName = copy;
}
