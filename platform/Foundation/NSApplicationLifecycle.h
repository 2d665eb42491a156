#pragma once
// The application's launch and terminate notifications, which objects that restore and save
// settings listen to. The notification names are the platform's; the application object that
// posts them in AppKit is not here, so NSApplicationLifecycle posts them for whoever runs the
// application (and for test programs): finishLaunching posts will- then did-finish-launching,
// terminate posts will-terminate. The object of the notifications is the one given (the
// application object, or null).
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

FOUNDATION_EXPORT NSString* const NSApplicationWillFinishLaunchingNotification;
FOUNDATION_EXPORT NSString* const NSApplicationDidFinishLaunchingNotification;
FOUNDATION_EXPORT NSString* const NSApplicationWillTerminateNotification;

class NSApplicationLifecycle {
 public:
  static void finishLaunching(NSObject* application);
  static void terminate(NSObject* application);
  // True once finishLaunching has posted will-finish-launching.
  static bool hasFinishedLaunching();
};

#pragma GCC visibility pop
