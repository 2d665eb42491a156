#include <CoreFoundation/CFArray.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSDescription.h>
#include <Foundation/NSException.h>
#include <Foundation/NSSet.h>
#include <Foundation/NSString.h>

#include <vector>

#include "backend/FoundationSupport.h"
#include "backend/NSViewClass.h"

NS_VIEW_CLASS_DEFINE(NSSet, NSObject)
NS_VIEW_CLASS_DEFINE(NSMutableSet, NSSet)

using Foundation::autoreleased;

namespace {

// The members as a new array (+1).
NSArray* copyMembers(const NSSet* set) {
  std::vector<const void*> members(set->count());
  CFSetGetValues(set->cfSet(), members.data());
  return bridge_cast<NSArray*>(
      CFArrayCreate(nullptr, members.data(), CFIndex(members.size()), &kCFTypeArrayCallBacks));
}

}  // namespace

NSSet* NSSet::set() { return autoreleased<NSSet>(CFSetCreate(nullptr, nullptr, 0, &kCFTypeSetCallBacks)); }

NSSet* NSSet::setWithObject(NSObject* object) { return setWithObjects({object}); }

NSSet* NSSet::setWithObjects(std::initializer_list<NSObject*> objects) {
  NSMutableSet* result = NSMutableSet::setWithCapacity(objects.size());
  for (NSObject* object : objects) result->addObject(object);
  return autoreleased<NSSet>(result->copy());
}

NSSet* NSSet::setWithArray(NSArray* array) {
  return autoreleased<NSSet>(NSMutableSet::setWithArray(array)->copy());
}

NSUInteger NSSet::count() const { return NSUInteger(CFSetGetCount(cfSet())); }

bool NSSet::containsObject(const NSObject* object) const {
  return object && CFSetContainsValue(cfSet(), object);
}

NSObject* NSSet::member(const NSObject* object) const {
  return object ? static_cast<NSObject*>(const_cast<void*>(CFSetGetValue(cfSet(), object))) : nullptr;
}

NSObject* NSSet::anyObject() const {
  if (!count()) return nullptr;
  std::vector<const void*> members(count());
  CFSetGetValues(cfSet(), members.data());
  return static_cast<NSObject*>(const_cast<void*>(members.front()));
}

NSArray* NSSet::allObjects() const { return autoreleased<NSArray>(copyMembers(this)); }

bool NSSet::isSubsetOfSet(const NSSet* other) const {
  if (!other) return count() == 0;
  for (NSObject* object : *this) {
    if (!other->containsObject(object)) return false;
  }
  return true;
}

bool NSSet::intersectsSet(const NSSet* other) const {
  if (!other) return false;
  for (NSObject* object : *this) {
    if (other->containsObject(object)) return true;
  }
  return false;
}

bool NSSet::isEqualToSet(const NSSet* other) const { return other && CFEqual(this, other); }

NSString* NSSet::description() const { return NSDescriptionOf(this); }

NSSet* NSSet::copy() const { return bridge_cast<NSSet*>(CFSetCreateCopy(nullptr, cfSet())); }

NSMutableSet* NSSet::mutableCopy() const {
  return bridge_cast<NSMutableSet*>(CFSetCreateMutableCopy(nullptr, 0, cfSet()));
}

NSSet::Iterator NSSet::begin() const { return Iterator(adopt(copyMembers(this)), 0); }

NSObject* NSSet::Iterator::operator*() const { return mMembers->objectAtIndex(mIndex); }

NSMutableSet* NSMutableSet::set() { return setWithCapacity(0); }

NSMutableSet* NSMutableSet::setWithCapacity(NSUInteger capacity) {
  return autoreleased<NSMutableSet>(CFSetCreateMutable(nullptr, CFIndex(capacity), &kCFTypeSetCallBacks));
}

NSMutableSet* NSMutableSet::setWithArray(NSArray* array) {
  NSMutableSet* result = set();
  result->addObjectsFromArray(array);
  return result;
}

void NSMutableSet::addObject(NSObject* object) {
  if (!object) {
    NSException::raise_format(NSInvalidArgumentException,
                              NSSTR("-[NSMutableSet addObject:]: object cannot be nil"));
  }
  CFSetAddValue(cfMutableSet(), object);
}

void NSMutableSet::addObjectsFromArray(NSArray* array) {
  if (!array) return;
  for (NSObject* object : *array) addObject(object);
}

void NSMutableSet::removeObject(const NSObject* object) {
  if (object) CFSetRemoveValue(cfMutableSet(), object);
}

void NSMutableSet::removeAllObjects() { CFSetRemoveAllValues(cfMutableSet()); }

void NSMutableSet::unionSet(const NSSet* other) {
  if (!other) return;
  for (NSObject* object : *other) addObject(object);
}

void NSMutableSet::minusSet(const NSSet* other) {
  if (!other) return;
  for (NSObject* object : *other) removeObject(object);
}

void NSMutableSet::intersectSet(const NSSet* other) {
  for (NSObject* object : *this) {
    if (!other || !other->containsObject(object)) removeObject(object);
  }
}
