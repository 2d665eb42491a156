#include "NSObject_PersistentObjectsController.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSException.h>
#include <Foundation/NSUserDefaults.h>

#include "NSDictionary_PropertyListArchiving.h"

int import_NSObject_PersistentObjectsController() {
  import_NSDictionary_PropertyListArchiving();
  return 1;
}

namespace {

NSString* archiveKey() { return NSSTR("UPersistentObjectsController"); }

}  // namespace

NSObject* NSObject_PersistentObjectsController::persistentObject() const {
  return const_cast<NSObject*>(dynamic_cast<const NSObject*>(this));
}

NSArray* NSObject_PersistentObjectsController::persistentObjectKeyPathsOrNil() const {
  NSSet* keyPaths = persistentObjectKeyPaths();
  // Only a set counts, as on the platform: an array handed back in its place is refused.
  if (!keyPaths || !NSObjectIsKindOfClass(keyPaths, NSSet::class_())) return NSArray::array();
  return keyPaths->allObjects();
}

NSString* NSObject_PersistentObjectsController::persistenceObjectKey() {
  return NSString::stringWithUTF8String(persistentObject()->className());
}

NSDictionary* NSObject_PersistentObjectsController::persistentDictionaryWithValuesForKeyPaths(
    NSArray* keyPaths) {
  if (!keyPaths) return NSDictionary::dictionary();
  NSMutableDictionary* values = NSMutableDictionary::dictionary();
  NSObject* self = persistentObject();
  for (NSObject* item : *keyPaths) {
    NSString* keyPath = NSDynamicCast<NSString>(item);
    if (!keyPath) continue;
    try {
      if (NSObject* value = self->valueForKeyPath(keyPath)) values->setObject_forKey(value, keyPath);
    } catch (const NSException::Raised& raised) {
      NSLog(NSSTR("UPersistentObjectController::persistentDictionaryWithValuesForKeyPaths: exception:%@\n"),
            raised.exception());
    }
  }
  return NSDictionary::dictionaryWithDictionary(values);
}

void NSObject_PersistentObjectsController::setPersistentDictionary_withValuesForKeyPaths(
    NSDictionary* dictionary, NSArray* keyPaths) {
  if (!dictionary) return;
  NSObject* self = persistentObject();
  for (NSObject* key : *dictionary) {
    NSString* keyPath = NSDynamicCast<NSString>(key);
    if (!keyPath || !keyPaths || !keyPaths->containsObject(keyPath)) continue;
    try {
      self->setValue_forKeyPath(dictionary->objectForKey(keyPath), keyPath);
    } catch (const NSException::Raised& raised) {
      NSLog(
          NSSTR("UPersistentObjectController::setPersistentDictionary:withValuesForKeyPaths exception:%@\n"),
          raised.exception());
    }
  }
}

void NSObject_PersistentObjectsController::persistentObjectSaveData() {
  NSArray* keyPaths = persistentObjectKeyPathsOrNil();
  NSDictionary* values = persistentDictionaryWithValuesForKeyPaths(keyPaths);
  NSUserDefaults* defaults = NSUserDefaults::standardUserDefaults();
  if (!values || values->count() == 0) {
    // Nothing to keep: an older record would bring back values cleared since. An object that
    // keeps no key paths at all has cleared nothing, and leaves the record as it is.
    if (keyPaths->count() > 0 && defaults->objectForKey(persistenceObjectKey())) {
      defaults->removeObjectForKey(persistenceObjectKey());
      defaults->synchronize();
    }
    return;
  }
  NSData* data = NSDictionary_PropertyListArchiving::propertyListData(values, archiveKey());
  if (!data) return;
  defaults->setObject_forKey(data, persistenceObjectKey());
  defaults->synchronize();
}

void NSObject_PersistentObjectsController::persistentObjectLoadData() {
  NSArray* keyPaths = persistentObjectKeyPathsOrNil();
  NSData* stored = NSUserDefaults::standardUserDefaults()->dataForKey(persistenceObjectKey());
  if (!stored) return;
  RefPtr<NSDictionary> values = adopt(
      NSDictionary_PropertyListArchiving::createDictionaryFromPropertyListData_withKey(stored, archiveKey()));
  if (!values) return;
  setPersistentDictionary_withValuesForKeyPaths(values.get(), keyPaths);
}
