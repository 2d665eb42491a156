#pragma once
// What the collections share: their callbacks in one form, the callbacks of CF objects, and
// the checks that turn bad arguments into a report on stderr instead of a crash.
#include <string>

#include <CoreFoundation/CFBase.h>
#include <objc/NSObject.h>

namespace CFCollection {

// How a collection holds its values (or keys). Absent callbacks mean plain pointers:
// no retain, identity for equality, the address as hash.
struct CallBacks {
  const void* (*retain)(CFAllocatorRef, const void*) = nullptr;
  void (*release)(CFAllocatorRef, const void*) = nullptr;
  CFStringRef (*copyDescription)(const void*) = nullptr;
  Boolean (*equal)(const void*, const void*) = nullptr;
  CFHashCode (*hash)(const void*) = nullptr;

  // The platform's callback structures share their first members; dictionary keys, sets and
  // bags add a hash.
  template <class PlatformCallBacks>
  static CallBacks from(const PlatformCallBacks* callBacks) {
    CallBacks result;
    if (!callBacks) return result;
    result.retain = callBacks->retain;
    result.release = callBacks->release;
    result.copyDescription = callBacks->copyDescription;
    result.equal = callBacks->equal;
    if constexpr (requires { callBacks->hash; }) result.hash = callBacks->hash;
    return result;
  }

  template <class PlatformCallBacks>
  PlatformCallBacks to() const {
    PlatformCallBacks result{};
    result.retain = retain;
    result.release = release;
    result.copyDescription = copyDescription;
    result.equal = equal;
    if constexpr (requires { result.hash; }) result.hash = hash;
    return result;
  }

  const void* retainValue(const void* value) const { return retain ? retain(nullptr, value) : value; }
  void releaseValue(const void* value) const {
    if (release) release(nullptr, value);
  }
  bool equalValues(const void* a, const void* b) const { return a == b || (equal && equal(a, b)); }
  CFHashCode hashValue(const void* value) const {
    return hash ? hash(value) : static_cast<CFHashCode>(reinterpret_cast<uintptr_t>(value));
  }
  // UTF-8 text for a collection's description.
  std::string describe(const void* value) const;
};

// The callbacks of CF objects: CFRetain, CFRelease, CFCopyDescription, CFEqual, CFHash.
const void* retainType(CFAllocatorRef allocator, const void* value);
void releaseType(CFAllocatorRef allocator, const void* value);
// Holds an immutable copy of a string (the object itself when it is already immutable).
const void* retainStringCopy(CFAllocatorRef allocator, const void* value);

// The UTF-8 description of any object ("(null)" for null).
std::string describeObject(CFTypeRef object);

// A new string (+1) of UTF-8 text.
CFStringRef createString(const std::string& text);

// True when range lies inside [0, count]; otherwise reports it for function.
bool rangeInside(CFRange range, CFIndex count, const char* function);

// Reports misuse of the API on stderr: the function and what was wrong.
void report(const char* function, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The object of a CF type behind a reference, or null (reported for function) when the
// reference is null or of another type.
template <class Object>
Object* checked(CFTypeRef reference, const char* function) {
  auto* object = static_cast<const NSObject*>(reference);
  if (object && object->cfTypeID() == Object::typeID()) return const_cast<Object*>(static_cast<const Object*>(object));
  report(function, "%p is not a %s", reference, Object::typeName());
  return nullptr;
}

// The same for mutation: immutable objects are reported too.
template <class Object>
Object* checkedMutable(CFTypeRef reference, const char* function) {
  Object* object = checked<Object>(reference, function);
  if (object && !object->mMutable) {
    report(function, "%p is an immutable %s", reference, Object::typeName());
    return nullptr;
  }
  return object;
}

}  // namespace CFCollection
