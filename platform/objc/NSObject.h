#pragma once
// The root of every object of the platform layer: CoreFoundation types and Objective-C
// classes alike, so that toll-free bridging is a pointer cast and CFRetain/-retain are one
// count. Objects start with one reference owned by their creator.
#include <atomic>
#include <cstdint>

#include <objc/Selector.h>
#include <objc/runtime.h>

#pragma GCC visibility push(default)

struct __CFString;
class NSCoder;
class NSDictionary;
class NSSet;
class NSString;

class NSObject {
 public:
  // The root's class methods; see objc_metaclass.
  struct Meta : objc_metaclass {
    // +allocWithZone:: a new instance of cls (+1) by default.
    virtual NSObject* allocWithZone(Class cls) const;
    // +keyPathsForValuesAffectingValueForKey:: the key paths whose change is also a change of
    // key (Foundation/NSKeyValueObserving.h registers them per class); null for none.
    virtual NSSet* keyPathsForValuesAffectingValueForKey(Class cls, NSString* key) const;
  };

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

  // Retains the object unless its last reference is already gone (for zeroing weak references).
  bool tryRetain() const;

  // Methods found by selector in the per-class tables of objc/MethodTable.h. Performing a
  // selector the object does not answer raises NSInvalidArgumentException.
  virtual bool respondsToSelector(SEL selector) const;
  NSObject* performSelector(SEL selector);
  NSObject* performSelector_withObject(SEL selector, NSObject* argument);
  // With waitUntilDone NO the call is always queued on the main run loop, even on the main
  // thread; with YES it runs at once on the main thread, and another thread waits for it.
  // The receiver and the argument are retained until the call has run.
  void performSelectorOnMainThread_withObject_waitUntilDone(SEL selector, NSObject* argument, bool waitUntilDone);
  // Calls the selector from the current thread's run loop (default mode) after the delay.
  void performSelector_withObject_afterDelay(SEL selector, NSObject* argument, double delay);

  // Key-value coding (Foundation/NSKeyValueCoding.h).
  virtual NSObject* valueForKey(NSString* key);
  virtual void setValue_forKey(NSObject* value, NSString* key);
  virtual NSObject* valueForKeyPath(NSString* keyPath);
  virtual void setValue_forKeyPath(NSObject* value, NSString* keyPath);
  virtual NSObject* valueForUndefinedKey(NSString* key);
  virtual void setValue_forUndefinedKey(NSObject* value, NSString* key);

  // Key-value observing (Foundation/NSKeyValueObserving.h). Observers are not retained and are
  // forgotten when they are destroyed.
  virtual void addObserver_forKeyPath_options_context(NSObject* observer, NSString* keyPath, unsigned long options,
                                                      void* context);
  virtual void removeObserver_forKeyPath(NSObject* observer, NSString* keyPath);
  virtual void willChangeValueForKey(NSString* key);
  virtual void didChangeValueForKey(NSString* key);
  virtual void observeValueForKeyPath_ofObject_change_context(NSString* keyPath, NSObject* object,
                                                              NSDictionary* change, void* context);

  // Bindings (Foundation/NSKeyValueBinding.h).
  virtual void bind_toObject_withKeyPath_options(NSString* binding, NSObject* observable, NSString* keyPath,
                                                 NSDictionary* options);
  virtual void unbind(NSString* binding);
  // The binding's observed object, key path and options; null when it is not bound.
  virtual NSDictionary* infoForBinding(NSString* binding);

  // Nib loading (Foundation/NSNib.h): objects of a nib are made by alloc then initWithCoder
  // (by default init), and receive awakeFromNib once every outlet and action is connected.
  virtual NSObject* initWithCoder(NSCoder* coder);
  virtual void awakeFromNib();

 protected:
  virtual ~NSObject();
  // Called when the last reference goes; frees the object.
  virtual void dealloc();

 private:
  friend struct objc_object_side_table_access;
  mutable std::atomic<long> mRetainCount{1};
  // Set once the object has weak references or attached state (objc/SideTable.h).
  mutable std::atomic<bool> mHasSideTableEntry{false};
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

#pragma GCC visibility pop
