#pragma once
// The root of every object of the platform layer: CoreFoundation types and Objective-C
// classes alike, so that toll-free bridging is a pointer cast and CFRetain/-retain are one
// count. Objects start with one reference owned by their creator.
#include <atomic>
#include <cstdint>

#include <objc/runtime.h>

struct __CFString;

class NSObject {
 public:
  NSObject() = default;
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  // -alloc of the root class: a plain object with one reference.
  static NSObject* alloc();
  // -init: the object to use from now on (subclasses may answer another object).
  virtual NSObject* init();

  NSObject* retain() const;
  void release() const;
  NSObject* autorelease() const;
  long retainCount() const;
  // Constant strings and process-lifetime singletons are never freed.
  void makeImmortal() const;
  bool isImmortal() const;

  static Class class_();
  virtual Class classObject() const;
  bool isKindOfClass(Class aClass) const;
  bool isMemberOfClass(Class aClass) const;
  const char* className() const;

  // Equality, hash and description, shared with CFEqual, CFHash and CFCopyDescription.
  virtual bool isEqual(const NSObject* other) const;
  virtual unsigned long hash() const;
  // A new string (+1) describing the object.
  virtual const __CFString* copyDescription() const;
  // The CoreFoundation type of the object; plain Objective-C objects have their own id.
  virtual unsigned long cfTypeID() const;

 protected:
  virtual ~NSObject();
  // Called when the last reference goes; frees the object.
  virtual void dealloc();

 private:
  mutable std::atomic<long> mRetainCount{1};
};

// A type-safe cast between bridged pointers (CFStringRef <-> NSString*, CFTypeRef <-> NSObject*).
template <class To, class From>
inline To bridge_cast(From* from) {
  return reinterpret_cast<To>(const_cast<void*>(static_cast<const void*>(from)));
}

// Retain and release any object pointer of the layer (CoreFoundation references included).
const void* objc_retain(const void* object);
void objc_release(const void* object);
const void* objc_autorelease(const void* object);
