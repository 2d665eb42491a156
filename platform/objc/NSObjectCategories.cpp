// The root class's methods that Foundation's categories carry out (objc/FoundationCategories.h).
#include <objc/FoundationCategories.h>
#include <objc/NSObject.h>

NSObject* NSObject::valueForKey(NSString* key) {
  auto* coding = objc::keyValueCoding();
  return coding ? coding->valueForKey(this, key) : nullptr;
}

void NSObject::setValue_forKey(NSObject* value, NSString* key) {
  if (auto* coding = objc::keyValueCoding()) coding->setValue_forKey(this, value, key);
}

NSObject* NSObject::valueForKeyPath(NSString* keyPath) {
  auto* coding = objc::keyValueCoding();
  return coding ? coding->valueForKeyPath(this, keyPath) : nullptr;
}

void NSObject::setValue_forKeyPath(NSObject* value, NSString* keyPath) {
  if (auto* coding = objc::keyValueCoding()) coding->setValue_forKeyPath(this, value, keyPath);
}

NSObject* NSObject::valueForUndefinedKey(NSString* key) {
  auto* coding = objc::keyValueCoding();
  return coding ? coding->valueForUndefinedKey(this, key) : nullptr;
}

void NSObject::setValue_forUndefinedKey(NSObject* value, NSString* key) {
  if (auto* coding = objc::keyValueCoding()) coding->setValue_forUndefinedKey(this, value, key);
}

void NSObject::addObserver_forKeyPath_options_context(NSObject* observer, NSString* keyPath, unsigned long options,
                                                      void* context) {
  if (auto* observing = objc::keyValueObserving()) observing->addObserver(this, observer, keyPath, options, context);
}

void NSObject::removeObserver_forKeyPath(NSObject* observer, NSString* keyPath) {
  if (auto* observing = objc::keyValueObserving()) observing->removeObserver(this, observer, keyPath);
}

void NSObject::willChangeValueForKey(NSString* key) {
  if (auto* observing = objc::keyValueObserving()) observing->willChangeValueForKey(this, key);
}

void NSObject::didChangeValueForKey(NSString* key) {
  if (auto* observing = objc::keyValueObserving()) observing->didChangeValueForKey(this, key);
}

// An observer that does not handle its notifications lets them pass.
void NSObject::observeValueForKeyPath_ofObject_change_context(NSString*, NSObject*, NSDictionary*, void*) {}

void NSObject::bind_toObject_withKeyPath_options(NSString* binding, NSObject* observable, NSString* keyPath,
                                                 NSDictionary* options) {
  if (auto* binder = objc::keyValueBinding()) binder->bind(this, binding, observable, keyPath, options);
}

void NSObject::unbind(NSString* binding) {
  if (auto* binder = objc::keyValueBinding()) binder->unbind(this, binding);
}

NSDictionary* NSObject::infoForBinding(NSString* binding) {
  auto* binder = objc::keyValueBinding();
  return binder ? binder->infoForBinding(this, binding) : nullptr;
}

NSObject* NSObject::initWithCoder(NSCoder*) { return init(); }

void NSObject::awakeFromNib() {}
