#pragma once
// NSDictionary is CFDictionary: an NSDictionary* and a CFDictionaryRef point at the same
// object. It retains its values and keeps a copy of each string key (so that changing a
// mutable string later does not move its entry), keys compared by isEqual. Setting a null
// object or key raises NSInvalidArgumentException, as on the platform. A range-for loop
// visits the keys in the order they were added.
#include <functional>
#include <initializer_list>

#include <CoreFoundation/CFDictionary.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <objc/RefPtr.h>

#pragma GCC visibility push(default)

class NSArray;
class NSString;
class NSMutableDictionary;

class NSDictionary : public NSObject {
 public:
  static Class class_();

  // Autoreleased.
  static NSDictionary* dictionary();
  static NSDictionary* dictionaryWithObject_forKey(NSObject* object, NSObject* key);
  // One object per key, in the same order.
  static NSDictionary* dictionaryWithObjects_forKeys(std::initializer_list<NSObject*> objects,
                                                     std::initializer_list<NSObject*> keys);
  static NSDictionary* dictionaryWithObjects_forKeys(NSArray* objects, NSArray* keys);
  static NSDictionary* dictionaryWithDictionary(NSDictionary* other);
  // A property-list file whose root is a dictionary; null when it is anything else.
  static NSDictionary* dictionaryWithContentsOfFile(NSString* path);

  CFDictionaryRef cfDictionary() const { return reinterpret_cast<CFDictionaryRef>(this); }

  NSUInteger count() const;
  NSObject* objectForKey(const NSObject* key) const;
  NSObject* operator[](const NSObject* key) const { return objectForKey(key); }
  // In the order the entries were added.
  NSArray* allKeys() const;
  NSArray* allValues() const;
  NSArray* allKeysForObject(const NSObject* object) const;
  void enumerateKeysAndObjectsUsingBlock(
      const std::function<void(NSObject* key, NSObject* object, bool* stop)>& block) const;
  bool isEqualToDictionary(const NSDictionary* other) const;
  NSString* description() const;
  // Writes the dictionary as an XML property list; false when it is not one.
  bool writeToFile_atomically(NSString* path, bool atomically) const;

  // +1 copies (keys and values are shared).
  NSDictionary* copy() const;
  NSMutableDictionary* mutableCopy() const;

  class KeyIterator {
   public:
    KeyIterator(RefPtr<NSArray> keys, NSUInteger index) : mKeys(std::move(keys)), mIndex(index) {}
    NSObject* operator*() const;
    KeyIterator& operator++() {
      ++mIndex;
      return *this;
    }
    bool operator!=(const KeyIterator& other) const { return mIndex != other.mIndex; }

   private:
    RefPtr<NSArray> mKeys;
    NSUInteger mIndex;
  };
  // The keys of the moment the loop starts: a loop that changes the dictionary is safe.
  KeyIterator begin() const;
  KeyIterator end() const { return KeyIterator(nullptr, count()); }

 protected:
  NSDictionary() = default;
};

class NSMutableDictionary : public NSDictionary {
 public:
  static Class class_();

  // Autoreleased.
  static NSMutableDictionary* dictionary();
  static NSMutableDictionary* dictionaryWithCapacity(NSUInteger capacity);
  static NSMutableDictionary* dictionaryWithDictionary(NSDictionary* other);

  CFMutableDictionaryRef cfMutableDictionary() const {
    return reinterpret_cast<CFMutableDictionaryRef>(const_cast<NSMutableDictionary*>(this));
  }

  void setObject_forKey(NSObject* object, NSObject* key);
  void removeObjectForKey(const NSObject* key);
  void removeObjectsForKeys(NSArray* keys);
  void removeAllObjects();
  void addEntriesFromDictionary(NSDictionary* other);
  void setDictionary(NSDictionary* other);

 protected:
  NSMutableDictionary() = default;
};

#pragma GCC visibility pop
