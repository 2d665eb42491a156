#include "UPersistentObjectsController.h"

#include <Foundation/NSApplicationLifecycle.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNotificationCenter.h>
#include <objc/MethodTable.h>

#include <exception>

#include "NSDictionary_PropertyListArchiving.h"

int import_UPersistentObjectsController() {
  import_NSDictionary_PropertyListArchiving();
  import_NSObject_PersistentObjectsController();
  import_UNibSingleton();
  return 1;
}

OBJC_CLASS_DEFINE(UPersistentObjectsController)
OBJC_METHODS(UPersistentObjectsController,
             OBJC_METHOD("applicationWillFinishLaunching:",
                         &UPersistentObjectsController::applicationWillFinishLaunching),
             OBJC_METHOD("applicationWillTerminate:",
                         &UPersistentObjectsController::applicationWillTerminate))
NS_PROPERTIES(UPersistentObjectsController,
              NS_PROPERTY("wasLaunched", &UPersistentObjectsController::wasLaunched,
                          &UPersistentObjectsController::setWasLaunched),
              NS_PROPERTY("objects", &UPersistentObjectsController::objects,
                          &UPersistentObjectsController::setObjects))

namespace {

enum class Step { Load, Save };

// One object's load or save; a failure is logged and costs only that object's settings.
void perform(NSObject_PersistentObjectsController* participant, Step step) {
  if (!participant) return;
  const char* what = step == Step::Load ? "restored" : "saved";
  try {
    if (step == Step::Load) {
      participant->persistentObjectLoadData();
    } else {
      participant->persistentObjectSaveData();
    }
  } catch (const NSException::Raised& raised) {
    NSLog(NSSTR("UPersistentObjectsController: %@ could not be %s: %@"), participant->persistenceObjectKey(),
          what, raised.exception());
  } catch (const std::exception& failure) {
    NSLog(NSSTR("UPersistentObjectsController: %@ could not be %s: %s"), participant->persistenceObjectKey(),
          what, failure.what());
  }
}

}  // namespace

UPersistentObjectsController* UPersistentObjectsController::sharedPersistentObjectsController() {
  return static_cast<UPersistentObjectsController*>(alloc()->init());
}

void UPersistentObjectsController::initOnceInstance() {
  // Made after launching began (by a nib loaded late), the controller will not hear the
  // notification: it counts as launched from the start.
  setWasLaunched(NSApplicationLifecycle::hasFinishedLaunching());
  setObjects(NSMutableSet::setWithCapacity(9));
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  center->addObserver_selector_name_object(this, SELECTOR("applicationWillFinishLaunching:"),
                                           NSApplicationWillFinishLaunchingNotification, nullptr);
  center->addObserver_selector_name_object(this, SELECTOR("applicationWillTerminate:"),
                                           NSApplicationWillTerminateNotification, nullptr);
}

NSArray* UPersistentObjectsController::registeredObjects() const {
  NSMutableSet* registered = objects();
  return registered ? registered->allObjects() : NSArray::array();
}

void UPersistentObjectsController::registerPersistentObject(NSObject* object) {
  auto* participant = dynamic_cast<NSObject_PersistentObjectsController*>(object);
  if (!participant) return;
  NSMutableSet* registered = objects();
  if (!registered || registered->containsObject(object)) return;
  registered->addObject(object);
  if (wasLaunched()) perform(participant, Step::Load);
}

void UPersistentObjectsController::applicationWillFinishLaunching(NSNotification*) {
  setWasLaunched(true);
  for (NSObject* object : *registeredObjects()) {
    perform(dynamic_cast<NSObject_PersistentObjectsController*>(object), Step::Load);
  }
}

void UPersistentObjectsController::applicationWillTerminate(NSNotification*) {
  for (NSObject* object : *registeredObjects()) {
    perform(dynamic_cast<NSObject_PersistentObjectsController*>(object), Step::Save);
  }
}
