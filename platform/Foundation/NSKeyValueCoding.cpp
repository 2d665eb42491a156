#include <Foundation/NSKeyValueCoding.h>

#include <map>
#include <mutex>
#include <unordered_map>

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSException.h>
#include <Foundation/NSNull.h>
#include <objc/FoundationCategories.h>

NSString* const NSUnknownKeyException = NSSTR("NSUnknownKeyException");

namespace {

struct PropertyTables {
  std::mutex lock;
  std::unordered_map<Class, std::map<std::string, NSKeyValueProperty, std::less<>>> byClass;
};

PropertyTables& propertyTables() {
  static PropertyTables* tables = new PropertyTables();  // lives past every static destructor
  return *tables;
}

std::string text(NSString* string) {
  const char* utf8 = string ? string->UTF8String() : nullptr;
  return utf8 ? utf8 : "";
}

bool isDictionary(const NSObject* object) { return object->cfTypeID() == CFDictionaryGetTypeID(); }
bool isArray(const NSObject* object) { return object->cfTypeID() == CFArrayGetTypeID(); }

// The key before the first "." and the rest; the rest is empty for a plain key.
std::pair<std::string, std::string> splitKeyPath(const std::string& keyPath) {
  size_t dot = keyPath.find('.');
  if (dot == std::string::npos) return {keyPath, {}};
  return {keyPath.substr(0, dot), keyPath.substr(dot + 1)};
}

NSString* makeString(const std::string& value) { return NSString::stringWithUTF8String(value.c_str()); }

class KeyValueCoding final : public objc::KeyValueCodingCategory {
 public:
  NSObject* valueForKey(NSObject* self, NSString* key) override {
    if (!key) return self->valueForUndefinedKey(key);
    if (isDictionary(self)) {
      return static_cast<NSObject*>(const_cast<void*>(CFDictionaryGetValue(bridge_cast<CFDictionaryRef>(self), key)));
    }
    if (isArray(self)) return valuesOfElements(self, key);
    if (const NSKeyValueProperty* property = NSKeyValueFindProperty(self->classObject(), text(key))) {
      return property->get(self);
    }
    return self->valueForUndefinedKey(key);
  }

  void setValue_forKey(NSObject* self, NSObject* value, NSString* key) override {
    if (key && isDictionary(self)) {
      auto dictionary = bridge_cast<CFMutableDictionaryRef>(self);
      if (value) {
        CFDictionarySetValue(dictionary, key, value);
      } else {
        CFDictionaryRemoveValue(dictionary, key);
      }
      return;
    }
    const NSKeyValueProperty* property = key ? NSKeyValueFindProperty(self->classObject(), text(key)) : nullptr;
    if (!property || !property->set) {
      self->setValue_forUndefinedKey(value, key);
      return;
    }
    // Setting through the table notifies observers, as the platform's generated setters do.
    self->willChangeValueForKey(key);
    try {
      property->set(self, value);
    } catch (...) {
      self->didChangeValueForKey(key);
      throw;
    }
    self->didChangeValueForKey(key);
  }

  NSObject* valueForKeyPath(NSObject* self, NSString* keyPath) override {
    auto [first, rest] = splitKeyPath(text(keyPath));
    if (rest.empty()) return self->valueForKey(keyPath);
    NSObject* value = self->valueForKey(makeString(first));
    return value ? value->valueForKeyPath(makeString(rest)) : nullptr;
  }

  void setValue_forKeyPath(NSObject* self, NSObject* value, NSString* keyPath) override {
    auto [first, rest] = splitKeyPath(text(keyPath));
    if (rest.empty()) {
      self->setValue_forKey(value, keyPath);
      return;
    }
    RefPtr<NSObject> target{self->valueForKey(makeString(first))};
    if (target) target->setValue_forKeyPath(value, makeString(rest));
  }

  NSObject* valueForUndefinedKey(NSObject* self, NSString* key) override {
    NSException::raise_format(NSUnknownKeyException,
                              NSSTR("[<%s %p> valueForUndefinedKey:]: this class is not key value "
                                    "coding-compliant for the key %@."),
                              self->className(), static_cast<void*>(self), key);
  }

  void setValue_forUndefinedKey(NSObject* self, NSObject*, NSString* key) override {
    NSException::raise_format(NSUnknownKeyException,
                              NSSTR("[<%s %p> setValue:forUndefinedKey:]: this class is not key value "
                                    "coding-compliant for the key %@."),
                              self->className(), static_cast<void*>(self), key);
  }

 private:
  // An array answers the array of its elements' values, NSNull standing for null.
  static NSObject* valuesOfElements(NSObject* self, NSString* key) {
    auto* array = static_cast<NSArray*>(self);
    NSMutableArray* values = NSMutableArray::arrayWithCapacity(array->count());
    for (NSObject* element : *array) {
      NSObject* value = element ? element->valueForKey(key) : nullptr;
      values->addObject(value ? value : NSNull::null());
    }
    return values;
  }
};

[[maybe_unused]] const bool installed = [] {
  static KeyValueCoding coding;
  objc::installKeyValueCoding(&coding);
  return true;
}();

}  // namespace

bool NSKeyValueRegisterProperties(Class cls, std::initializer_list<NSKeyValueProperty> properties) {
  PropertyTables& tables = propertyTables();
  std::lock_guard<std::mutex> guard(tables.lock);
  auto& table = tables.byClass[cls];
  for (const NSKeyValueProperty& property : properties) table[property.key] = property;
  return true;
}

const NSKeyValueProperty* NSKeyValueFindProperty(Class cls, const std::string& key) {
  PropertyTables& tables = propertyTables();
  std::lock_guard<std::mutex> guard(tables.lock);
  for (; cls; cls = cls->superclass) {
    auto table = tables.byClass.find(cls);
    if (table == tables.byClass.end()) continue;
    auto found = table->second.find(key);
    // Entries are never removed, so the pointer stays valid after the lock is left.
    if (found != table->second.end()) return &found->second;
  }
  return nullptr;
}

void NSKeyValueBoxing::raiseNilValue(NSObject* self, const std::string& key) {
  NSException::raise_format(NSInvalidArgumentException,
                            NSSTR("[<%s %p> setNilValueForKey]: could not set nil as the value for the key %s."),
                            self->className(), static_cast<void*>(self), key.c_str());
}

void NSKeyValueBoxing::raiseWrongType(NSObject* self, const std::string& key, const char* expected) {
  NSException::raise_format(NSInvalidArgumentException, NSSTR("[<%s %p> setValue:forKey:]: the value for the key %s is not %s."),
                            self->className(), static_cast<void*>(self), key.c_str(), expected);
}

NSNumber* NSKeyValueBoxing::numberOrRaise(NSObject* self, const std::string& key, NSObject* value) {
  if (!value) raiseNilValue(self, key);
  auto* number = NSDynamicCast<NSNumber>(value);
  if (!number) raiseWrongType(self, key, "a number");
  return number;
}

NSString* NSKeyValueBoxing::stringOrRaise(NSObject* self, const std::string& key, NSObject* value) {
  auto* string = NSDynamicCast<NSString>(value);
  if (!string) raiseWrongType(self, key, "a string");
  return string;
}
