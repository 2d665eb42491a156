#pragma once
// NSSet is CFSet made with kCFTypeSetCallBacks: an NSSet* and a CFSetRef point at the same
// object. Members are distinct by isEqual and retained. A range-for loop visits the members
// of the moment the loop starts.
#include <initializer_list>

#include <CoreFoundation/CFSet.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <objc/RefPtr.h>

#pragma GCC visibility push(default)

class NSArray;
class NSString;
class NSMutableSet;

class NSSet : public NSObject {
 public:
  static Class class_();

  // Autoreleased.
  static NSSet* set();
  static NSSet* setWithObject(NSObject* object);
  static NSSet* setWithObjects(std::initializer_list<NSObject*> objects);
  static NSSet* setWithArray(NSArray* array);

  CFSetRef cfSet() const { return reinterpret_cast<CFSetRef>(this); }

  NSUInteger count() const;
  bool containsObject(const NSObject* object) const;
  // The member equal to object, or null.
  NSObject* member(const NSObject* object) const;
  // Any member; null when empty.
  NSObject* anyObject() const;
  NSArray* allObjects() const;
  bool isSubsetOfSet(const NSSet* other) const;
  bool intersectsSet(const NSSet* other) const;
  bool isEqualToSet(const NSSet* other) const;
  NSString* description() const;

  // +1 copies.
  NSSet* copy() const;
  NSMutableSet* mutableCopy() const;

  class Iterator {
   public:
    Iterator(RefPtr<NSArray> members, NSUInteger index) : mMembers(std::move(members)), mIndex(index) {}
    NSObject* operator*() const;
    Iterator& operator++() {
      ++mIndex;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return mIndex != other.mIndex; }

   private:
    RefPtr<NSArray> mMembers;
    NSUInteger mIndex;
  };
  Iterator begin() const;
  Iterator end() const { return Iterator(nullptr, count()); }

 protected:
  NSSet() = default;
};

class NSMutableSet : public NSSet {
 public:
  static Class class_();

  // Autoreleased.
  static NSMutableSet* set();
  static NSMutableSet* setWithCapacity(NSUInteger capacity);
  static NSMutableSet* setWithArray(NSArray* array);

  CFMutableSetRef cfMutableSet() const {
    return reinterpret_cast<CFMutableSetRef>(const_cast<NSMutableSet*>(this));
  }

  // Adding null raises NSInvalidArgumentException.
  void addObject(NSObject* object);
  void addObjectsFromArray(NSArray* array);
  void removeObject(const NSObject* object);
  void removeAllObjects();
  void unionSet(const NSSet* other);
  void minusSet(const NSSet* other);
  void intersectSet(const NSSet* other);

 protected:
  NSMutableSet() = default;
};

#pragma GCC visibility pop
