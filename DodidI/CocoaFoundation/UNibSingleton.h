#pragma once
// The base of controllers that exist once per process although several nibs may name them and
// code may ask for them too: every alloc and init of such a class, from a nib or from code,
// yields the one shared instance registered under the class's instance key (its name, unless
// the class answers a fixed key that its subclasses then share).
//
//   UPersistentObjectsController* c = static_cast<UPersistentObjectsController*>(
//       UPersistentObjectsController::alloc()->init());
//
// The first init of the instance runs initOnceInstance, every init (the first included) runs
// initEveryInstance, both under the class's lock. The instance is never freed: release does
// nothing to it.
//
// The registry of instances is one for all subclasses, under a lock of its own, so that
// different singletons first used on different threads at the same moment are safe; alloc of
// one class is serialised by the class's lock, so two threads never make two instances.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

int import_UNibSingleton();

class UNibSingleton : public NSObject {
  OBJC_CLASS_DECL(UNibSingleton, NSObject)

 public:
  struct Meta : NSObject::Meta {
    // +instanceKey: the key the class's instance is registered under; its name by default.
    virtual NSString* instanceKey(Class cls) const;
    // The registered instance if there is one; else a new one, registered before it is answered.
    NSObject* allocWithZone(Class cls) const override;
  };

  // The instance registered under the class's key, or null.
  static NSObject* sharedInstance(Class cls);
  // Registers the instance unless one is registered under the key already (the first stays),
  // and marks it not yet initialised.
  static void setSharedInstance(Class cls, NSObject* instance);
  static bool sharedInstanceWasInitialized(Class cls);
  static void setSharedInstanceWasInitialized(Class cls, bool initialized);

  // The registered instance (never another object), or null when none is registered.
  NSObject* init() override;
  // Hooks for subclasses: once per instance key at the first init, then at every init.
  virtual void initOnceInstance() {}
  virtual void initEveryInstance() {}

  // A copy of the one instance is the instance.
  UNibSingleton* copy() { return this; }
  // No count is kept on the shared instance.
  unsigned long retainCount() const { return 4294967295UL; }

 protected:
  UNibSingleton() = default;
};
