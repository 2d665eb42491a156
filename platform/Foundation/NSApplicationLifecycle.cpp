#include <Foundation/NSApplicationLifecycle.h>

#include <atomic>

#include <Foundation/NSNotificationCenter.h>

NSString* const NSApplicationWillFinishLaunchingNotification = NSSTR("NSApplicationWillFinishLaunchingNotification");
NSString* const NSApplicationDidFinishLaunchingNotification = NSSTR("NSApplicationDidFinishLaunchingNotification");
NSString* const NSApplicationWillTerminateNotification = NSSTR("NSApplicationWillTerminateNotification");

namespace {
std::atomic<bool> launched{false};
}

void NSApplicationLifecycle::finishLaunching(NSObject* application) {
  launched = true;
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  center->postNotificationName_object(NSApplicationWillFinishLaunchingNotification, application);
  center->postNotificationName_object(NSApplicationDidFinishLaunchingNotification, application);
}

void NSApplicationLifecycle::terminate(NSObject* application) {
  NSNotificationCenter::defaultCenter()->postNotificationName_object(NSApplicationWillTerminateNotification, application);
}

bool NSApplicationLifecycle::hasFinishedLaunching() { return launched; }
