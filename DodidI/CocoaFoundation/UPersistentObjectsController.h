#pragma once
// The one registry of objects whose settings outlive the application: registered objects are
// restored when the application will finish launching and saved when it will terminate (see
// NSObject_PersistentObjectsController.h for what one object saves).
//
// An object registered once launching is under way (created late, or by a nib loaded later) is
// restored at once and saved with the others at termination. Each object is restored and
// saved on its own: one that fails is logged and the others go on.
#include <atomic>

#include <Foundation/NSNotification.h>
#include <Foundation/NSSet.h>

#include "NSObject_PersistentObjectsController.h"
#include "UAtomicProperty.h"
#include "UNibSingleton.h"

int import_UPersistentObjectsController();

class UPersistentObjectsController : public UNibSingleton {
  OBJC_CLASS_DECL(UPersistentObjectsController, UNibSingleton)

 public:
  static UPersistentObjectsController* sharedPersistentObjectsController();

  // Takes the object (retained) when it takes part in persistence (derives from
  // NSObject_PersistentObjectsController); does nothing otherwise.
  void registerPersistentObject(NSObject* object);

  void applicationWillFinishLaunching(NSNotification* notification);
  void applicationWillTerminate(NSNotification* notification);

  bool wasLaunched() const { return mWasLaunched; }
  void setWasLaunched(bool wasLaunched) { mWasLaunched = wasLaunched; }
  NSMutableSet* objects() const { return mObjects.get(); }
  void setObjects(NSMutableSet* objects) { mObjects.set(objects); }

  void initOnceInstance() override;

 protected:
  UPersistentObjectsController() = default;

 private:
  // A snapshot of the registered objects, so that an object registering while others load
  // does not disturb the loop.
  NSArray* registeredObjects() const;

  std::atomic<bool> mWasLaunched{false};
  UAtomicProperty<NSMutableSet> mObjects;
};
