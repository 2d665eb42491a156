#include <objc/NSObject.h>

#include <cstdio>

#include <CoreFoundation/CFString.h>
#include <objc/FoundationCategories.h>
#include <objc/SideTable.h>

NSObject* NSObject::alloc() { return new NSObject(); }

NSObject* NSObject::init() { return this; }

// Objects freed without their last release (never the usual way) still lose their weak
// references and attached state here.
NSObject::~NSObject() { objc_clearSideTable(this); }

NSObject* NSObject::Meta::allocWithZone(Class cls) const { return cls->allocate ? cls->allocate() : nullptr; }

NSSet* NSObject::Meta::keyPathsForValuesAffectingValueForKey(Class cls, NSString* key) const {
  auto* observing = objc::keyValueObserving();
  return observing ? observing->keyPathsForValuesAffectingValueForKey(cls, key) : nullptr;
}

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
    // Weak references are cleared before any destructor runs, as the last reference goes.
    objc_clearSideTable(this);
    const_cast<NSObject*>(this)->dealloc();
  }
}

bool NSObject::tryRetain() const {
  long count = mRetainCount.load(std::memory_order_relaxed);
  while (count > 0) {
    if (count >= kImmortalRetainCount / 2) return true;
    if (mRetainCount.compare_exchange_weak(count, count + 1, std::memory_order_acquire, std::memory_order_relaxed)) {
      return true;
    }
  }
  return false;
}

NSObject* NSObject::autorelease() const {
  objc_autorelease(this);
  return const_cast<NSObject*>(this);
}

long NSObject::retainCount() const {
  // Acquire: a holder that sees the others gone (a pool taking back a buffer) also sees what
  // they did with the object before their release.
  long count = mRetainCount.load(std::memory_order_acquire);
  return count >= kImmortalRetainCount / 2 ? -1 : count;
}

void NSObject::makeImmortal() const { mRetainCount.store(kImmortalRetainCount, std::memory_order_relaxed); }

bool NSObject::isImmortal() const { return mRetainCount.load(std::memory_order_relaxed) >= kImmortalRetainCount / 2; }

Class NSObject::class_() {
  static const Meta meta{};
  static const objc_class cls{"NSObject", nullptr, []() -> NSObject* { return new NSObject(); }, &meta};
  return &cls;
}
[[maybe_unused]] static const Class objc_class_registration_NSObject = objc_registerClass(NSObject::class_());

// A CoreFoundation object is an instance of its bridged Foundation class (a CFString is an
// NSString) once Foundation is loaded; Objective-C classes override this.
Class NSObject::classObject() const {
  Class bridged = objc::bridgedClass(cfTypeID());
  return bridged ? bridged : NSObject::class_();
}

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
