#include <CoreFoundation/CFPropertyList.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDescription.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSString.h>

#include <vector>

#include "backend/FoundationSupport.h"
#include "backend/NSViewClass.h"

NS_VIEW_CLASS_DEFINE(NSDictionary, NSObject)
NS_VIEW_CLASS_DEFINE(NSMutableDictionary, NSDictionary)

using Foundation::autoreleased;

namespace {

void check(const NSObject* object, const char* method, const char* what) {
  if (!object)
    NSException::raise_format(NSInvalidArgumentException, NSSTR("%s: %s cannot be nil"), method, what);
}

CFMutableDictionaryRef createMutable(NSUInteger capacity) {
  return CFDictionaryCreateMutable(nullptr, CFIndex(capacity), &kCFCopyStringDictionaryKeyCallBacks,
                                   &kCFTypeDictionaryValueCallBacks);
}

}  // namespace

NSDictionary* NSDictionary::dictionary() {
  return autoreleased<NSDictionary>(CFDictionaryCreate(
      nullptr, nullptr, nullptr, 0, &kCFCopyStringDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
}

NSDictionary* NSDictionary::dictionaryWithObject_forKey(NSObject* object, NSObject* key) {
  return dictionaryWithObjects_forKeys({object}, {key});
}

NSDictionary* NSDictionary::dictionaryWithObjects_forKeys(std::initializer_list<NSObject*> objects,
                                                          std::initializer_list<NSObject*> keys) {
  if (objects.size() != keys.size()) {
    NSException::raise_format(
        NSInvalidArgumentException,
        NSSTR("+[NSDictionary dictionaryWithObjects:forKeys:]: %lu objects for %lu keys"), objects.size(),
        keys.size());
  }
  NSMutableDictionary* result = NSMutableDictionary::dictionaryWithCapacity(keys.size());
  auto object = objects.begin();
  for (NSObject* key : keys) result->setObject_forKey(*object++, key);
  return autoreleased<NSDictionary>(result->copy());
}

NSDictionary* NSDictionary::dictionaryWithObjects_forKeys(NSArray* objects, NSArray* keys) {
  const NSUInteger count = keys ? keys->count() : 0;
  if ((objects ? objects->count() : 0) != count) {
    NSException::raise_format(NSInvalidArgumentException,
                              NSSTR("+[NSDictionary dictionaryWithObjects:forKeys:]: counts differ"));
  }
  NSMutableDictionary* result = NSMutableDictionary::dictionaryWithCapacity(count);
  for (NSUInteger i = 0; i < count; ++i)
    result->setObject_forKey(objects->objectAtIndex(i), keys->objectAtIndex(i));
  return autoreleased<NSDictionary>(result->copy());
}

NSDictionary* NSDictionary::dictionaryWithDictionary(NSDictionary* other) {
  return other ? autoreleased<NSDictionary>(other->copy()) : dictionary();
}

NSDictionary* NSDictionary::dictionaryWithContentsOfFile(NSString* path) {
  NSData* data = NSData::dataWithContentsOfFile(path);
  if (!data) return nullptr;
  CFPropertyListRef list =
      CFPropertyListCreateWithData(nullptr, data->cfData(), kCFPropertyListImmutable, nullptr, nullptr);
  if (list && CFGetTypeID(list) != CFDictionaryGetTypeID()) {
    CFRelease(list);
    return nullptr;
  }
  return autoreleased<NSDictionary>(list);
}

NSUInteger NSDictionary::count() const { return NSUInteger(CFDictionaryGetCount(cfDictionary())); }

NSObject* NSDictionary::objectForKey(const NSObject* key) const {
  if (!key) return nullptr;
  return static_cast<NSObject*>(const_cast<void*>(CFDictionaryGetValue(cfDictionary(), key)));
}

NSArray* NSDictionary::allKeys() const {
  std::vector<const void*> keys(count());
  CFDictionaryGetKeysAndValues(cfDictionary(), keys.data(), nullptr);
  return autoreleased<NSArray>(
      CFArrayCreate(nullptr, keys.data(), CFIndex(keys.size()), &kCFTypeArrayCallBacks));
}

NSArray* NSDictionary::allValues() const {
  std::vector<const void*> values(count());
  CFDictionaryGetKeysAndValues(cfDictionary(), nullptr, values.data());
  return autoreleased<NSArray>(
      CFArrayCreate(nullptr, values.data(), CFIndex(values.size()), &kCFTypeArrayCallBacks));
}

NSArray* NSDictionary::allKeysForObject(const NSObject* object) const {
  NSMutableArray* result = NSMutableArray::array();
  if (!object) return result;
  for (NSObject* key : *this) {
    if (CFEqual(objectForKey(key), object)) result->addObject(key);
  }
  return result;
}

void NSDictionary::enumerateKeysAndObjectsUsingBlock(
    const std::function<void(NSObject* key, NSObject* object, bool* stop)>& block) const {
  RefPtr<NSDictionary> snapshot = adopt(copy());
  bool stop = false;
  for (NSObject* key : *snapshot) {
    block(key, snapshot->objectForKey(key), &stop);
    if (stop) break;
  }
}

bool NSDictionary::isEqualToDictionary(const NSDictionary* other) const {
  return other && CFEqual(this, other);
}

NSString* NSDictionary::description() const { return NSDescriptionOf(this); }

bool NSDictionary::writeToFile_atomically(NSString* path, bool atomically) const {
  CFDataRef xml =
      CFPropertyListCreateData(nullptr, cfDictionary(), kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  if (!xml) return false;
  bool written = bridge_cast<NSData*>(xml)->writeToFile_atomically(path, atomically);
  CFRelease(xml);
  return written;
}

NSDictionary* NSDictionary::copy() const {
  return bridge_cast<NSDictionary*>(CFDictionaryCreateCopy(nullptr, cfDictionary()));
}

NSMutableDictionary* NSDictionary::mutableCopy() const {
  return bridge_cast<NSMutableDictionary*>(CFDictionaryCreateMutableCopy(nullptr, 0, cfDictionary()));
}

NSDictionary::KeyIterator NSDictionary::begin() const {
  std::vector<const void*> keys(count());
  CFDictionaryGetKeysAndValues(cfDictionary(), keys.data(), nullptr);
  return KeyIterator(adopt(bridge_cast<NSArray*>(
                         CFArrayCreate(nullptr, keys.data(), CFIndex(keys.size()), &kCFTypeArrayCallBacks))),
                     0);
}

NSObject* NSDictionary::KeyIterator::operator*() const { return mKeys->objectAtIndex(mIndex); }

NSMutableDictionary* NSMutableDictionary::dictionary() { return dictionaryWithCapacity(0); }

NSMutableDictionary* NSMutableDictionary::dictionaryWithCapacity(NSUInteger capacity) {
  return autoreleased<NSMutableDictionary>(createMutable(capacity));
}

NSMutableDictionary* NSMutableDictionary::dictionaryWithDictionary(NSDictionary* other) {
  return other ? autoreleased<NSMutableDictionary>(other->mutableCopy()) : dictionary();
}

void NSMutableDictionary::setObject_forKey(NSObject* object, NSObject* key) {
  check(object, "-[NSMutableDictionary setObject:forKey:]", "object");
  check(key, "-[NSMutableDictionary setObject:forKey:]", "key");
  CFDictionarySetValue(cfMutableDictionary(), key, object);
}

void NSMutableDictionary::removeObjectForKey(const NSObject* key) {
  if (key) CFDictionaryRemoveValue(cfMutableDictionary(), key);
}

void NSMutableDictionary::removeObjectsForKeys(NSArray* keys) {
  if (!keys) return;
  for (NSObject* key : *keys) removeObjectForKey(key);
}

void NSMutableDictionary::removeAllObjects() { CFDictionaryRemoveAllValues(cfMutableDictionary()); }

void NSMutableDictionary::addEntriesFromDictionary(NSDictionary* other) {
  if (!other) return;
  for (NSObject* key : *other) CFDictionarySetValue(cfMutableDictionary(), key, other->objectForKey(key));
}

void NSMutableDictionary::setDictionary(NSDictionary* other) {
  RefPtr<NSDictionary> source{other};  // it may be this very dictionary
  RefPtr<NSDictionary> entries = source ? adopt(source->copy()) : nullptr;
  removeAllObjects();
  addEntriesFromDictionary(entries.get());
}
