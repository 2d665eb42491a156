#include <Foundation/NSArray.h>
#include <Foundation/NSDescription.h>
#include <Foundation/NSException.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSString.h>

#include <algorithm>
#include <vector>

#include "backend/FoundationSupport.h"
#include "backend/NSViewClass.h"

NS_VIEW_CLASS_DEFINE(NSArray, NSObject)
NS_VIEW_CLASS_DEFINE(NSMutableArray, NSArray)

using Foundation::autoreleased;

namespace {

std::vector<NSObject*> objectsOf(const NSArray* array) {
  std::vector<const void*> values(array->count());
  CFArrayGetValues(array->cfArray(), CFRangeMake(0, CFIndex(values.size())), values.data());
  std::vector<NSObject*> objects;
  objects.reserve(values.size());
  for (const void* value : values) objects.push_back(static_cast<NSObject*>(const_cast<void*>(value)));
  return objects;
}

[[noreturn]] void raiseRange(const char* method, NSUInteger index, NSUInteger count) {
  NSException::raise_format(NSRangeException, NSSTR("%s: index %lu beyond bounds [0 .. %ld]"), method, index,
                            static_cast<long>(count) - 1);
}

void checkObject(const NSObject* object, const char* method) {
  if (!object)
    NSException::raise_format(NSInvalidArgumentException, NSSTR("%s: object cannot be nil"), method);
}

}  // namespace

NSArray* NSArray::array() { return arrayWithObjects_count(nullptr, 0); }

NSArray* NSArray::arrayWithObject(NSObject* object) { return arrayWithObjects_count(&object, 1); }

NSArray* NSArray::arrayWithObjects(std::initializer_list<NSObject*> objects) {
  return arrayWithObjects_count(objects.begin(), objects.size());
}

NSArray* NSArray::arrayWithObjects_count(NSObject* const* objects, NSUInteger count) {
  for (NSUInteger i = 0; i < count; ++i) checkObject(objects[i], "+[NSArray arrayWithObjects:count:]");
  std::vector<const void*> values(objects, objects + count);
  return autoreleased<NSArray>(CFArrayCreate(nullptr, values.data(), CFIndex(count), &kCFTypeArrayCallBacks));
}

NSArray* NSArray::arrayWithArray(NSArray* array) {
  return array ? autoreleased<NSArray>(array->copy()) : NSArray::array();
}

NSUInteger NSArray::count() const { return NSUInteger(CFArrayGetCount(cfArray())); }

NSObject* NSArray::objectAtIndex(NSUInteger index) const {
  if (index >= count()) raiseRange("-[NSArray objectAtIndex:]", index, count());
  return static_cast<NSObject*>(const_cast<void*>(CFArrayGetValueAtIndex(cfArray(), CFIndex(index))));
}

NSObject* NSArray::firstObject() const { return count() ? objectAtIndex(0) : nullptr; }

NSObject* NSArray::lastObject() const { return count() ? objectAtIndex(count() - 1) : nullptr; }

bool NSArray::containsObject(const NSObject* object) const {
  return indexOfObject(object) != NSUInteger(NSNotFound);
}

NSUInteger NSArray::indexOfObject(const NSObject* object) const {
  if (!object) return NSNotFound;
  CFIndex index = CFArrayGetFirstIndexOfValue(cfArray(), CFRangeMake(0, CFIndex(count())), object);
  return index == kCFNotFound ? NSUInteger(NSNotFound) : NSUInteger(index);
}

NSUInteger NSArray::indexOfObjectIdenticalTo(const NSObject* object) const {
  std::vector<NSObject*> objects = objectsOf(this);
  auto found = std::find(objects.begin(), objects.end(), object);
  return found == objects.end() ? NSUInteger(NSNotFound) : NSUInteger(found - objects.begin());
}

NSArray* NSArray::subarrayWithRange(NSRange range) const {
  if (range.location > count() || range.length > count() - range.location) {
    raiseRange("-[NSArray subarrayWithRange:]", NSMaxRange(range), count());
  }
  std::vector<NSObject*> objects = objectsOf(this);
  return arrayWithObjects_count(objects.data() + range.location, range.length);
}

NSArray* NSArray::objectsAtIndexes(const NSIndexSet* indexes) const {
  NSMutableArray* result = NSMutableArray::array();
  if (!indexes) return result;
  if (indexes->count() && indexes->lastIndex() >= count()) {
    raiseRange("-[NSArray objectsAtIndexes:]", indexes->lastIndex(), count());
  }
  indexes->enumerateIndexesUsingBlock(
      [&](NSUInteger index, bool*) { result->addObject(objectAtIndex(index)); });
  return result;
}

NSArray* NSArray::arrayByAddingObject(NSObject* object) const {
  checkObject(object, "-[NSArray arrayByAddingObject:]");
  std::vector<NSObject*> objects = objectsOf(this);
  objects.push_back(object);
  return arrayWithObjects_count(objects.data(), objects.size());
}

NSArray* NSArray::arrayByAddingObjectsFromArray(NSArray* other) const {
  std::vector<NSObject*> objects = objectsOf(this);
  if (other) {
    std::vector<NSObject*> more = objectsOf(other);
    objects.insert(objects.end(), more.begin(), more.end());
  }
  return arrayWithObjects_count(objects.data(), objects.size());
}

NSString* NSArray::componentsJoinedByString(NSString* separator) const {
  NSMutableString* text = NSMutableString::string();
  bool first = true;
  for (NSObject* object : *this) {
    if (!first && separator) text->appendString(separator);
    first = false;
    text->appendString(NSDescriptionOf(object));
  }
  return text;
}

NSArray* NSArray::sortedArrayUsingComparator(const NSComparator& comparator) const {
  std::vector<NSObject*> objects = objectsOf(this);
  std::stable_sort(objects.begin(), objects.end(),
                   [&](NSObject* a, NSObject* b) { return comparator(a, b) == NSOrderedAscending; });
  return arrayWithObjects_count(objects.data(), objects.size());
}

void NSArray::enumerateObjectsUsingBlock(
    const std::function<void(NSObject* object, NSUInteger index, bool* stop)>& block) const {
  // The objects are held for the walk, so that a block that changes the array does not pull
  // them away underneath it.
  RefPtr<NSArray> snapshot = adopt(copy());
  bool stop = false;
  for (NSUInteger i = 0; i < snapshot->count() && !stop; ++i) block(snapshot->objectAtIndex(i), i, &stop);
}

bool NSArray::isEqualToArray(const NSArray* other) const { return other && CFEqual(this, other); }

NSString* NSArray::description() const { return NSDescriptionOf(this); }

NSArray* NSArray::copy() const { return bridge_cast<NSArray*>(CFArrayCreateCopy(nullptr, cfArray())); }

NSMutableArray* NSArray::mutableCopy() const {
  return bridge_cast<NSMutableArray*>(CFArrayCreateMutableCopy(nullptr, 0, cfArray()));
}

NSMutableArray* NSMutableArray::array() { return arrayWithCapacity(0); }

NSMutableArray* NSMutableArray::arrayWithCapacity(NSUInteger capacity) {
  return autoreleased<NSMutableArray>(
      CFArrayCreateMutable(nullptr, CFIndex(capacity), &kCFTypeArrayCallBacks));
}

NSMutableArray* NSMutableArray::arrayWithObjects(std::initializer_list<NSObject*> objects) {
  NSMutableArray* result = arrayWithCapacity(objects.size());
  for (NSObject* object : objects) result->addObject(object);
  return result;
}

NSMutableArray* NSMutableArray::arrayWithArray(NSArray* array) {
  return array ? autoreleased<NSMutableArray>(array->mutableCopy()) : NSMutableArray::array();
}

void NSMutableArray::addObject(NSObject* object) {
  checkObject(object, "-[NSMutableArray addObject:]");
  CFArrayAppendValue(cfMutableArray(), object);
}

void NSMutableArray::addObjectsFromArray(NSArray* other) {
  if (other) CFArrayAppendArray(cfMutableArray(), other->cfArray(), CFRangeMake(0, CFIndex(other->count())));
}

void NSMutableArray::insertObject_atIndex(NSObject* object, NSUInteger index) {
  checkObject(object, "-[NSMutableArray insertObject:atIndex:]");
  if (index > count()) raiseRange("-[NSMutableArray insertObject:atIndex:]", index, count());
  CFArrayInsertValueAtIndex(cfMutableArray(), CFIndex(index), object);
}

void NSMutableArray::insertObjects_atIndexes(NSArray* objects, const NSIndexSet* indexes) {
  if (!objects || !indexes) return;
  if (objects->count() != indexes->count()) {
    NSException::raise_format(
        NSInvalidArgumentException,
        NSSTR("-[NSMutableArray insertObjects:atIndexes:]: %lu objects for %lu indexes"), objects->count(),
        indexes->count());
  }
  NSUInteger next = 0;
  indexes->enumerateIndexesUsingBlock(
      [&](NSUInteger index, bool*) { insertObject_atIndex(objects->objectAtIndex(next++), index); });
}

void NSMutableArray::replaceObjectAtIndex_withObject(NSUInteger index, NSObject* object) {
  checkObject(object, "-[NSMutableArray replaceObjectAtIndex:withObject:]");
  if (index >= count()) raiseRange("-[NSMutableArray replaceObjectAtIndex:withObject:]", index, count());
  CFArraySetValueAtIndex(cfMutableArray(), CFIndex(index), object);
}

void NSMutableArray::exchangeObjectAtIndex_withObjectAtIndex(NSUInteger index1, NSUInteger index2) {
  if (index1 >= count() || index2 >= count()) {
    raiseRange("-[NSMutableArray exchangeObjectAtIndex:withObjectAtIndex:]", std::max(index1, index2),
               count());
  }
  CFArrayExchangeValuesAtIndices(cfMutableArray(), CFIndex(index1), CFIndex(index2));
}

void NSMutableArray::removeObjectAtIndex(NSUInteger index) {
  if (index >= count()) raiseRange("-[NSMutableArray removeObjectAtIndex:]", index, count());
  CFArrayRemoveValueAtIndex(cfMutableArray(), CFIndex(index));
}

void NSMutableArray::removeObject(const NSObject* object) {
  if (!object) return;
  for (NSUInteger i = count(); i-- > 0;) {
    if (CFEqual(objectAtIndex(i), object)) removeObjectAtIndex(i);
  }
}

void NSMutableArray::removeObjectIdenticalTo(const NSObject* object) {
  for (NSUInteger i = count(); i-- > 0;) {
    if (objectAtIndex(i) == object) removeObjectAtIndex(i);
  }
}

void NSMutableArray::removeObjectsAtIndexes(const NSIndexSet* indexes) {
  if (!indexes || !indexes->count()) return;
  if (indexes->lastIndex() >= count())
    raiseRange("-[NSMutableArray removeObjectsAtIndexes:]", indexes->lastIndex(), count());
  for (NSUInteger index = indexes->lastIndex(); index != NSUInteger(NSNotFound);
       index = indexes->indexLessThanIndex(index)) {
    removeObjectAtIndex(index);
  }
}

void NSMutableArray::removeLastObject() {
  if (count()) removeObjectAtIndex(count() - 1);
}

void NSMutableArray::removeAllObjects() { CFArrayRemoveAllValues(cfMutableArray()); }

void NSMutableArray::setArray(NSArray* other) {
  RefPtr<NSArray> source = other ? adopt(other->copy()) : nullptr;  // other may be this very array
  removeAllObjects();
  addObjectsFromArray(source.get());
}

void NSMutableArray::sortUsingComparator(const NSComparator& comparator) {
  RefPtr<NSArray> sorted{sortedArrayUsingComparator(comparator)};
  setArray(sorted.get());
}
