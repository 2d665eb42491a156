#include <objc/NSObject.h>

#include <cstdio>

#include <CoreFoundation/CFString.h>

NSObject* NSObject::alloc() { return new NSObject(); }

NSObject* NSObject::init() { return this; }

NSObject::~NSObject() = default;

void NSObject::dealloc() { delete this; }

// Immortal objects carry a count so large that no sequence of releases reaches zero.
static constexpr long kImmortalRetainCount = 1L << 60;

NSObject* NSObject::retain() const {
  if (!isImmortal()) mRetainCount.fetch_add(1, std::memory_order_relaxed);
  return const_cast<NSObject*>(this);
}

void NSObject::release() const {
  if (isImmortal()) return;
  if (mRetainCount.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    const_cast<NSObject*>(this)->dealloc();
  }
}

NSObject* NSObject::autorelease() const {
  objc_autorelease(this);
  return const_cast<NSObject*>(this);
}

long NSObject::retainCount() const {
  long count = mRetainCount.load(std::memory_order_relaxed);
  return count >= kImmortalRetainCount / 2 ? -1 : count;
}

void NSObject::makeImmortal() const { mRetainCount.store(kImmortalRetainCount, std::memory_order_relaxed); }

bool NSObject::isImmortal() const { return mRetainCount.load(std::memory_order_relaxed) >= kImmortalRetainCount / 2; }

Class NSObject::class_() {
  static const objc_class cls{"NSObject", nullptr, []() -> NSObject* { return new NSObject(); }};
  return &cls;
}
[[maybe_unused]] static const Class objc_class_registration_NSObject = objc_registerClass(NSObject::class_());

Class NSObject::classObject() const { return NSObject::class_(); }

bool NSObject::isKindOfClass(Class aClass) const { return class_isSubclassOfClass(classObject(), aClass); }

bool NSObject::isMemberOfClass(Class aClass) const { return classObject() == aClass; }

const char* NSObject::className() const { return class_getName(classObject()); }

bool NSObject::isEqual(const NSObject* other) const { return this == other; }

unsigned long NSObject::hash() const { return reinterpret_cast<uintptr_t>(this); }

const __CFString* NSObject::copyDescription() const {
  char text[256];
  std::snprintf(text, sizeof text, "<%s: %p>", className(), static_cast<const void*>(this));
  return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
}

unsigned long NSObject::cfTypeID() const {
  static const unsigned long typeID = _CFRuntimeRegisterClass("NSObject");
  return typeID;
}

const void* objc_retain(const void* object) {
  if (object) static_cast<const NSObject*>(object)->retain();
  return object;
}

void objc_release(const void* object) {
  if (object) static_cast<const NSObject*>(object)->release();
}
