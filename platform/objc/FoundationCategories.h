#pragma once
// The root class lives in CoreFoundation, below Foundation, yet some of its methods belong to
// Foundation's categories: key-value coding, key-value observing, bindings, raising an
// NSException, and the Foundation class that a CoreFoundation object is an instance of. Foundation installs them when it loads; until then key-value methods answer
// nothing and errors are thrown as std::runtime_error.
#include <CoreFoundation/CFBase.h>
#include <objc/runtime.h>

#pragma GCC visibility push(default)

class NSDictionary;
class NSObject;
class NSSet;
class NSString;

namespace objc {

class KeyValueCodingCategory {
 public:
  virtual NSObject* valueForKey(NSObject* self, NSString* key) = 0;
  virtual void setValue_forKey(NSObject* self, NSObject* value, NSString* key) = 0;
  virtual NSObject* valueForKeyPath(NSObject* self, NSString* keyPath) = 0;
  virtual void setValue_forKeyPath(NSObject* self, NSObject* value, NSString* keyPath) = 0;
  virtual NSObject* valueForUndefinedKey(NSObject* self, NSString* key) = 0;
  virtual void setValue_forUndefinedKey(NSObject* self, NSObject* value, NSString* key) = 0;

 protected:
  ~KeyValueCodingCategory() = default;
};

class KeyValueObservingCategory {
 public:
  virtual void addObserver(NSObject* self, NSObject* observer, NSString* keyPath, unsigned long options,
                           void* context) = 0;
  virtual void removeObserver(NSObject* self, NSObject* observer, NSString* keyPath) = 0;
  virtual void willChangeValueForKey(NSObject* self, NSString* key) = 0;
  virtual void didChangeValueForKey(NSObject* self, NSString* key) = 0;
  virtual NSSet* keyPathsForValuesAffectingValueForKey(Class cls, NSString* key) = 0;

 protected:
  ~KeyValueObservingCategory() = default;
};

class KeyValueBindingCategory {
 public:
  virtual void bind(NSObject* self, NSString* binding, NSObject* observable, NSString* keyPath,
                    NSDictionary* options) = 0;
  virtual void unbind(NSObject* self, NSString* binding) = 0;
  virtual NSDictionary* infoForBinding(NSObject* self, NSString* binding) = 0;

 protected:
  ~KeyValueBindingCategory() = default;
};

// Raises an exception of the name with the reason (Foundation raises an NSException).
using ExceptionRaiser = void (*)(CFStringRef name, CFStringRef reason);

// The Foundation class of a CoreFoundation type (NSString for CFString ...), or null.
using BridgedClassResolver = Class (*)(unsigned long cfTypeID);

// Installed once by Foundation at load; the objects live for the process.
void installKeyValueCoding(KeyValueCodingCategory* category);
void installKeyValueObserving(KeyValueObservingCategory* category);
void installKeyValueBinding(KeyValueBindingCategory* category);
void installExceptionRaiser(ExceptionRaiser raiser);
void installBridgedClassResolver(BridgedClassResolver resolver);

KeyValueCodingCategory* keyValueCoding();
KeyValueObservingCategory* keyValueObserving();
KeyValueBindingCategory* keyValueBinding();
[[noreturn]] void raise(CFStringRef name, CFStringRef reason);
// The Foundation class of a CoreFoundation type once Foundation is loaded; else null.
Class bridgedClass(unsigned long cfTypeID);

}  // namespace objc

#pragma GCC visibility pop
