#include <AppKit/NSApplication.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <AppKit/NSMenu.h>
#include <AppKit/NSWindow.h>
#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSNib.h>
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSThread.h>

#include "backend/EventMonitors.h"
#include "backend/XConnection.h"

NSString* const NSEventTrackingRunLoopMode = NSSTR("NSEventTrackingRunLoopMode");
NSString* const NSModalPanelRunLoopMode = NSSTR("NSModalPanelRunLoopMode");

NSApplication* NSApp = nullptr;

OBJC_CLASS_DEFINE(NSApplication)

namespace {

// Signalled by postEvent, so that a run loop waiting in nextEventMatchingMask wakes up.
CFRunLoopSourceRef gPostedEventSource = nullptr;

void noPerform(void*) {}

// The longest wait for an event, when the environment sets one; negative for none.
double eventWaitLimit() {
  static const double limit = [] {
    const char* text = std::getenv("MOXICAM_EVENT_WAIT_LIMIT");
    if (!text || !*text) return -1.0;
    char* end = nullptr;
    double value = std::strtod(text, &end);
    return (end != text && value >= 0) ? value : -1.0;
  }();
  return limit;
}

}  // namespace

NSApplication* NSApplication::sharedApplication() {
  static NSApplication* const shared = [] {
    NSApplication* app = static_cast<NSApplication*>(NSApplication::alloc()->init());
    app->makeImmortal();
    CFRunLoopRef main = CFRunLoopGetMain();
    CFRunLoopAddCommonMode(main, NSEventTrackingRunLoopMode->cfString());
    CFRunLoopAddCommonMode(main, NSModalPanelRunLoopMode->cfString());
    CFRunLoopSourceContext context{};
    context.perform = noPerform;
    gPostedEventSource = CFRunLoopSourceCreate(nullptr, 0, &context);
    CFRunLoopAddSource(main, gPostedEventSource, kCFRunLoopCommonModes);
    NSApp = app;
    return app;
  }();
  return shared;
}

void NSApplication::finishLaunching() {
  if (NSApplicationLifecycle::hasFinishedLaunching()) return;
  NSApplicationLifecycle::finishLaunching(this);
}

void NSApplication::run() {
  finishLaunching();
  mRunning = true;
  mStopRequested = false;
  while (!mStopRequested) {
    objc::AutoreleasePool pool;
    if (NSEvent* event = nextEventMatchingMask_untilDate_inMode_dequeue(NSAnyEventMask, NSDate::distantFuture(),
                                                                       NSDefaultRunLoopMode, true)) {
      sendEvent(event);
    }
  }
  mRunning = false;
}

void NSApplication::stop(NSObject*) {
  mStopRequested = true;
  // The loop looks at the request once the event it waits for arrives.
  postEvent_atStart(NSEvent::otherEventWithType_location_modifierFlags_timestamp_windowNumber_context_subtype_data1_data2(
                        NSEventTypeApplicationDefined, NSZeroPoint, 0, 0, 0, nullptr, 0, 0, 0),
                    false);
}

void NSApplication::terminate(NSObject* sender) {
  if (auto* delegate = dynamic_cast<NSApplicationDelegate*>(mDelegate.get().get())) {
    if (delegate->applicationShouldTerminate(sender) != NSTerminateNow) return;
  }
  NSApplicationLifecycle::terminate(this);
  std::exit(0);
}

NSEvent* NSApplication::takeEvent(unsigned long long mask, bool dequeue) {
  std::lock_guard<std::mutex> guard(mQueueLock);
  for (auto it = mQueue.begin(); it != mQueue.end(); ++it) {
    if (!(mask & NSEventMaskFromType((*it)->type()))) continue;
    RefPtr<NSEvent> event = *it;
    if (dequeue) {
      mQueue.erase(it);
      mCurrentEvent = event;
    }
    return static_cast<NSEvent*>(event.leak()->autorelease());
  }
  return nullptr;
}

NSEvent* NSApplication::nextEventMatchingMask_untilDate_inMode_dequeue(unsigned long long mask, NSDate* expiration,
                                                                        NSString* mode, bool dequeue) {
  const double start = NSDate::timeIntervalSinceReferenceDateNow();
  double deadline = expiration ? expiration->timeIntervalSinceReferenceDate() : start;
  const double limit = eventWaitLimit();
  const bool limited = limit >= 0 && deadline > start + limit;
  if (limited) deadline = start + limit;
  CFStringRef runMode = mode ? mode->cfString() : kCFRunLoopDefaultMode;
  CFRunLoopRef loop = CFRunLoopGetCurrent();
  if (loop == CFRunLoopGetMain()) CFRunLoopAddSource(loop, gPostedEventSource, runMode);
  for (;;) {
    if (NSThread::isMainThread()) AppKitBackend::XConnection::pumpAll();
    if (NSEvent* event = takeEvent(mask, dequeue)) return event;
    if (NSThread::isMainThread()) displayWindowsIfNeeded();
    const double left = deadline - NSDate::timeIntervalSinceReferenceDateNow();
    if (left <= 0) break;
    if (CFRunLoopRunInMode(runMode, std::min(left, 1.0), true) == kCFRunLoopRunFinished) {
      // Nothing to wait on in this thread's loop: look again shortly.
      timespec pause{0, 1000000};
      nanosleep(&pause, nullptr);
    }
  }
  if (limited) {
    std::fprintf(stderr, "NSApplication: no event came within %g s (MOXICAM_EVENT_WAIT_LIMIT); going on without one\n",
                 limit);
  }
  return nullptr;
}

void NSApplication::postEvent_atStart(NSEvent* event, bool atStart) {
  if (!event) return;
  {
    std::lock_guard<std::mutex> guard(mQueueLock);
    if (atStart) {
      mQueue.push_front(RefPtr<NSEvent>(event));
    } else {
      mQueue.push_back(RefPtr<NSEvent>(event));
    }
  }
  CFRunLoopSourceSignal(gPostedEventSource);
  CFRunLoopWakeUp(CFRunLoopGetMain());
}

void NSApplication::discardEventsMatchingMask_beforeEvent(unsigned long long mask, NSEvent* lastEvent) {
  std::lock_guard<std::mutex> guard(mQueueLock);
  for (auto it = mQueue.begin(); it != mQueue.end();) {
    if (lastEvent && it->get() == lastEvent) break;
    if (mask & NSEventMaskFromType((*it)->type())) {
      it = mQueue.erase(it);
    } else {
      ++it;
    }
  }
}

void NSApplication::sendEvent(NSEvent* event) {
  if (!event) return;
  RefPtr<NSEvent> current = AppKitBackend::runLocalEventMonitors(event);
  if (!current) return;
  if (RefPtr<NSWindow> window = RefPtr<NSWindow>(current->window())) {
    window->sendEvent(current.get());
    return;
  }
  const NSEventType type = current->type();
  if (type == NSEventTypeKeyDown || type == NSEventTypeKeyUp || type == NSEventTypeFlagsChanged) {
    if (RefPtr<NSWindow> key = mKeyWindow.get()) key->sendEvent(current.get());
  }
}

bool NSApplication::sendAction_to_from(SEL action, NSObject* target, NSObject* sender) {
  if (!action) return false;
  if (target) {
    if (!target->respondsToSelector(action)) return false;
    target->performSelector_withObject(action, sender);
    return true;
  }
  std::vector<RefPtr<NSObject>> chain;
  if (RefPtr<NSWindow> key = mKeyWindow.get()) {
    for (NSResponder* responder = key->firstResponder(); responder; responder = responder->nextResponder()) {
      chain.push_back(RefPtr<NSObject>(responder));
    }
    chain.push_back(RefPtr<NSObject>(key.get()));
    if (NSObject* delegate = key->delegate()) chain.push_back(RefPtr<NSObject>(delegate));
  }
  chain.push_back(RefPtr<NSObject>(this));
  if (NSObject* delegate = mDelegate.get().get()) chain.push_back(RefPtr<NSObject>(delegate));
  for (const RefPtr<NSObject>& candidate : chain) {
    if (candidate->respondsToSelector(action)) {
      candidate->performSelector_withObject(action, sender);
      return true;
    }
  }
  return false;
}

NSArray* NSApplication::windows() const {
  NSMutableArray* windows = NSMutableArray::array();
  for (const WeakPtr<NSWindow>& window : mWindows) {
    if (RefPtr<NSWindow> alive = window.get()) windows->addObject(alive.get());
  }
  return windows;
}

NSWindow* NSApplication::windowWithWindowNumber(NSInteger windowNumber) const {
  // The newest first: a window on a server that went away may have had the same number.
  for (auto it = mWindows.rbegin(); it != mWindows.rend(); ++it) {
    if (RefPtr<NSWindow> alive = it->get(); alive && alive->windowNumber() == windowNumber) return alive.get();
  }
  return nullptr;
}

NSWindow* NSApplication::keyWindow() const { return mKeyWindow.get().get(); }

NSMenu* NSApplication::mainMenu() const { return mMainMenu.get(); }

void NSApplication::setMainMenu(NSMenu* menu) { mMainMenu = RefPtr<NSMenu>(menu); }

void NSApplication::addWindow(NSWindow* window) {
  std::erase_if(mWindows, [](const WeakPtr<NSWindow>& entry) { return !entry; });
  mWindows.emplace_back(window);
}

void NSApplication::removeWindow(NSWindow* window) {
  std::erase_if(mWindows, [window](const WeakPtr<NSWindow>& entry) { return !entry || entry.refersTo(window); });
  if (mKeyWindow.refersTo(window)) mKeyWindow = nullptr;
}

void NSApplication::setKeyWindow(NSWindow* window) { mKeyWindow = window; }

void NSApplication::keepOrderedIn(NSWindow* window, bool orderedIn) {
  auto found = std::find_if(mOrderedIn.begin(), mOrderedIn.end(),
                            [window](const RefPtr<NSWindow>& entry) { return entry.get() == window; });
  if (orderedIn && found == mOrderedIn.end()) mOrderedIn.emplace_back(window);
  if (!orderedIn && found != mOrderedIn.end()) {
    // The window may go with its last reference: let it go after the list is consistent.
    RefPtr<NSWindow> leaving = std::move(*found);
    mOrderedIn.erase(found);
  }
}

void NSApplication::scheduleDisplay() {
  if (mDisplayScheduled) return;
  mDisplayScheduled = true;
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [this] { displayWindowsIfNeeded(); });
  CFRunLoopWakeUp(CFRunLoopGetMain());
}

void NSApplication::displayWindowsIfNeeded() {
  mDisplayScheduled = false;
  std::vector<RefPtr<NSWindow>> alive;
  for (const WeakPtr<NSWindow>& window : mWindows) {
    if (RefPtr<NSWindow> strong = window.get()) alive.push_back(strong);
  }
  for (const RefPtr<NSWindow>& window : alive) window->displayIfNeeded();
}

int NSApplicationMain(int, const char**) {
  NSApplication* app = NSApplication::sharedApplication();
  if (auto* nibName = NSDynamicCast<NSString>(NSBundle::mainBundle()->objectForInfoDictionaryKey(NSSTR("NSMainNibFile")))) {
    RefPtr<NSNib> nib = adopt(NSNib::alloc()->initWithNibNamed_bundle(nibName, nullptr));
    NSArray* topLevelObjects = nullptr;
    if (!nib || !nib->instantiateWithOwner_topLevelObjects(app, &topLevelObjects)) {
      std::fprintf(stderr, "NSApplicationMain: cannot load the main nib \"%s\"\n", nibName->UTF8String());
      return 1;
    }
    // The main nib's objects live as long as the application.
    static RefPtr<NSArray> mainNibObjects;
    mainNibObjects = RefPtr<NSArray>(topLevelObjects);
  }
  app->run();
  return 0;
}
