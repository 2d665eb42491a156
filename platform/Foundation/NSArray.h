#pragma once
// NSArray is CFArray made with kCFTypeArrayCallBacks: an NSArray* and a CFArrayRef point at
// the same object. The array retains its objects. Asking for an index past the end raises
// NSRangeException and adding null raises NSInvalidArgumentException, as on the platform,
// where callers catch them. A range-for loop visits the objects in order; a loop that
// removes objects from the array it walks must walk a copy (or use enumerateObjectsUsingBlock).
#include <functional>
#include <initializer_list>

#include <CoreFoundation/CFArray.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRange.h>

#pragma GCC visibility push(default)

class NSString;
class NSIndexSet;
class NSMutableArray;

typedef std::function<NSComparisonResult(NSObject* a, NSObject* b)> NSComparator;

class NSArray : public NSObject {
 public:
  static Class class_();

  // Autoreleased.
  static NSArray* array();
  static NSArray* arrayWithObject(NSObject* object);
  static NSArray* arrayWithObjects(std::initializer_list<NSObject*> objects);
  static NSArray* arrayWithObjects_count(NSObject* const* objects, NSUInteger count);
  static NSArray* arrayWithArray(NSArray* array);

  CFArrayRef cfArray() const { return reinterpret_cast<CFArrayRef>(this); }

  NSUInteger count() const;
  NSObject* objectAtIndex(NSUInteger index) const;
  NSObject* operator[](NSUInteger index) const { return objectAtIndex(index); }
  // Null for an empty array.
  NSObject* firstObject() const;
  NSObject* lastObject() const;
  bool containsObject(const NSObject* object) const;
  // By isEqual; NSNotFound when absent.
  NSUInteger indexOfObject(const NSObject* object) const;
  NSUInteger indexOfObjectIdenticalTo(const NSObject* object) const;
  NSArray* subarrayWithRange(NSRange range) const;
  NSArray* objectsAtIndexes(const NSIndexSet* indexes) const;
  NSArray* arrayByAddingObject(NSObject* object) const;
  NSArray* arrayByAddingObjectsFromArray(NSArray* other) const;
  // The descriptions of the objects joined by separator.
  NSString* componentsJoinedByString(NSString* separator) const;
  // A stable sort.
  NSArray* sortedArrayUsingComparator(const NSComparator& comparator) const;
  void enumerateObjectsUsingBlock(
      const std::function<void(NSObject* object, NSUInteger index, bool* stop)>& block) const;
  bool isEqualToArray(const NSArray* other) const;
  NSString* description() const;

  // +1 copies (the objects themselves are shared).
  NSArray* copy() const;
  NSMutableArray* mutableCopy() const;

  class Iterator {
   public:
    Iterator(const NSArray* array, NSUInteger index) : mArray(array), mIndex(index) {}
    NSObject* operator*() const { return mArray->objectAtIndex(mIndex); }
    Iterator& operator++() {
      ++mIndex;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return mIndex != other.mIndex; }

   private:
    const NSArray* mArray;
    NSUInteger mIndex;
  };
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, count()); }

 protected:
  NSArray() = default;
};

class NSMutableArray : public NSArray {
 public:
  static Class class_();

  // Autoreleased.
  static NSMutableArray* array();
  static NSMutableArray* arrayWithCapacity(NSUInteger capacity);
  static NSMutableArray* arrayWithObjects(std::initializer_list<NSObject*> objects);
  static NSMutableArray* arrayWithArray(NSArray* array);

  CFMutableArrayRef cfMutableArray() const {
    return reinterpret_cast<CFMutableArrayRef>(const_cast<NSMutableArray*>(this));
  }

  void addObject(NSObject* object);
  void addObjectsFromArray(NSArray* other);
  void insertObject_atIndex(NSObject* object, NSUInteger index);
  void insertObjects_atIndexes(NSArray* objects, const NSIndexSet* indexes);
  void replaceObjectAtIndex_withObject(NSUInteger index, NSObject* object);
  void exchangeObjectAtIndex_withObjectAtIndex(NSUInteger index1, NSUInteger index2);
  void removeObjectAtIndex(NSUInteger index);
  // Every object equal to object.
  void removeObject(const NSObject* object);
  void removeObjectIdenticalTo(const NSObject* object);
  void removeObjectsAtIndexes(const NSIndexSet* indexes);
  void removeLastObject();
  void removeAllObjects();
  void setArray(NSArray* other);
  void sortUsingComparator(const NSComparator& comparator);

 protected:
  NSMutableArray() = default;
};

#pragma GCC visibility pop
