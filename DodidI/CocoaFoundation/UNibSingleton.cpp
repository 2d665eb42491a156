#include "UNibSingleton.h"

#include <objc/ClassLock.h>
#include <objc/ClassMethods.h>

#include <mutex>
#include <string>
#include <unordered_map>

int import_UNibSingleton() { return 1; }

OBJC_CLASS_DEFINE(UNibSingleton)

namespace {

struct SharedInstance {
  NSObject* instance = nullptr;
  bool initialized = false;
};

// Instance key to instance, for every subclass; never freed, as the instances are not.
struct Registry {
  std::mutex lock;
  std::unordered_map<std::string, SharedInstance> instances;
};

Registry& registry() {
  static Registry* const shared = new Registry;
  return *shared;
}

std::string keyOf(Class cls) {
  NSString* key = objc::classMethods<UNibSingleton>(cls).instanceKey(cls);
  return key ? key->UTF8String() : "";
}

}  // namespace

NSString* UNibSingleton::Meta::instanceKey(Class cls) const {
  return NSString::stringWithUTF8String(class_getName(cls));
}

NSObject* UNibSingleton::Meta::allocWithZone(Class cls) const {
  if (NSObject* instance = sharedInstance(cls)) return instance;
  std::lock_guard<std::recursive_mutex> lock(class_getLock(cls));
  // Another thread may have made it while this one waited for the lock.
  if (NSObject* instance = sharedInstance(cls)) return instance;
  NSObject* made = NSObject::Meta::allocWithZone(cls);
  if (!made) return nullptr;
  setSharedInstance(cls, made);
  NSObject* registered = sharedInstance(cls);
  // A class sharing the key with this one registered first, on another thread.
  if (registered != made) made->release();
  return registered;
}

NSObject* UNibSingleton::sharedInstance(Class cls) {
  std::string key = keyOf(cls);
  Registry& shared = registry();
  std::lock_guard<std::mutex> lock(shared.lock);
  auto found = shared.instances.find(key);
  return found == shared.instances.end() ? nullptr : found->second.instance;
}

void UNibSingleton::setSharedInstance(Class cls, NSObject* instance) {
  if (!instance) return;
  std::string key = keyOf(cls);
  Registry& shared = registry();
  std::lock_guard<std::mutex> lock(shared.lock);
  SharedInstance& entry = shared.instances[key];
  if (entry.instance) return;
  instance->makeImmortal();
  entry.instance = instance;
  entry.initialized = false;
}

bool UNibSingleton::sharedInstanceWasInitialized(Class cls) {
  std::string key = keyOf(cls);
  Registry& shared = registry();
  std::lock_guard<std::mutex> lock(shared.lock);
  auto found = shared.instances.find(key);
  return found != shared.instances.end() && found->second.initialized;
}

void UNibSingleton::setSharedInstanceWasInitialized(Class cls, bool initialized) {
  std::string key = keyOf(cls);
  Registry& shared = registry();
  std::lock_guard<std::mutex> lock(shared.lock);
  shared.instances[key].initialized = initialized;
}

NSObject* UNibSingleton::init() {
  Class cls = classObject();
  std::lock_guard<std::recursive_mutex> lock(class_getLock(cls));
  NSObject* instance = sharedInstance(cls);
  // An object that allocation made but that is not the registered one is not used further.
  if (instance != this) release();
  if (!instance) return nullptr;
  auto* singleton = dynamic_cast<UNibSingleton*>(instance);
  // The flag is set before the hooks run, so an alloc and init of this class made from inside
  // initOnceInstance (the lock is recursive) runs initEveryInstance only.
  if (!sharedInstanceWasInitialized(cls)) {
    setSharedInstanceWasInitialized(cls, true);
    instance->NSObject::init();
    if (singleton) singleton->initOnceInstance();
  }
  if (singleton) singleton->initEveryInstance();
  return instance;
}
