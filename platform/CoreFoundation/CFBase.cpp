#include <CoreFoundation/CFBase.h>

#include <climits>

#include <CoreFoundation/CFString.h>
#include <objc/NSObject.h>
#include <Foundation/NSNull.h>

// There is one allocator, malloc; the named allocators exist so that kCFAllocatorNull
// ("do not free these contents") can be told apart from the others.
struct __CFAllocator : NSObject {
  unsigned long cfTypeID() const override {
    static const unsigned long typeID = _CFRuntimeRegisterClass("CFAllocator");
    return typeID;
  }
};

struct __CFNull : NSNull {
  unsigned long cfTypeID() const override { return CFNullGetTypeID(); }
  const __CFString* copyDescription() const override {
    return CFStringCreateWithCString(nullptr, "<CFNull>", kCFStringEncodingASCII);
  }
};

namespace {
template <class T>
const T* makeSingleton() {
  T* object = new T();  // process lifetime: usable after static destructors have run
  object->makeImmortal();
  return object;
}
}  // namespace

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = makeSingleton<__CFAllocator>();
const CFAllocatorRef kCFAllocatorMalloc = makeSingleton<__CFAllocator>();
const CFAllocatorRef kCFAllocatorNull = makeSingleton<__CFAllocator>();
const CFNullRef kCFNull = makeSingleton<__CFNull>();

CFTypeID CFNullGetTypeID(void) {
  static const CFTypeID typeID = _CFRuntimeRegisterClass("CFNull");
  return typeID;
}

static const NSObject* object(CFTypeRef cf) { return static_cast<const NSObject*>(cf); }

CFTypeRef CFRetain(CFTypeRef cf) { return objc_retain(cf); }

void CFRelease(CFTypeRef cf) { objc_release(cf); }

CFTypeRef CFAutorelease(CFTypeRef cf) { return objc_autorelease(cf); }

CFIndex CFGetRetainCount(CFTypeRef cf) {
  if (!cf) return 0;
  long count = object(cf)->retainCount();
  // Immortal objects report a count that no caller can exhaust, as the platform does.
  return count < 0 ? LONG_MAX : count;
}

CFTypeID CFGetTypeID(CFTypeRef cf) { return cf ? object(cf)->cfTypeID() : 0; }

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
  if (cf1 == cf2) return true;
  if (!cf1 || !cf2) return false;
  return object(cf1)->isEqual(object(cf2));
}

CFHashCode CFHash(CFTypeRef cf) { return cf ? object(cf)->hash() : 0; }

CFStringRef CFCopyDescription(CFTypeRef cf) { return cf ? object(cf)->copyDescription() : nullptr; }

CFStringRef CFCopyTypeIDDescription(CFTypeID typeID) {
  const char* name = _CFRuntimeGetClassName(typeID);
  return name ? CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8) : nullptr;
}

CFTypeRef CFMakeCollectable(CFTypeRef cf) { return cf; }
