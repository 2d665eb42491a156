#pragma once
// Key-value coding: reading and setting an object's properties by name (valueForKey,
// setValue_forKey on every NSObject) and by dotted key path ("chromaKeyFilter.keyColor").
//
// A class makes its properties known in its .cpp file with a property table; scalars are boxed
// as NSNumber, selectors as their names, and a setter reached this way notifies key-value
// observers by itself:
//
//   NS_PROPERTIES(UChannel,
//                 NS_PROPERTY("title", &UChannel::title, &UChannel::setTitle),
//                 NS_PROPERTY("threshold", &UChannel::threshold, &UChannel::setThreshold),
//                 NS_READONLY_PROPERTY("number", &UChannel::number),
//                 NS_OUTLET("nibblerSubView", &UChannel::mNibblerSubView))
//
// Tables are searched from the class up its superclasses. Dictionaries answer their entries
// and arrays the values of their elements. A key that nothing answers goes to
// valueForUndefinedKey / setValue_forUndefinedKey, which raise NSUnknownKeyException; setting
// null on a scalar property raises NSInvalidArgumentException, as does a value of the wrong type.
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>

#include <Foundation/NSBridging.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <objc/WeakPtr.h>

#pragma GCC visibility push(default)

FOUNDATION_EXPORT NSString* const NSUnknownKeyException;

struct NSKeyValueProperty {
  std::string key;
  // The value, borrowed or autoreleased.
  std::function<NSObject*(NSObject* self)> get;
  // Null for read-only properties.
  std::function<void(NSObject* self, NSObject* value)> set;
};

// Adds properties to a class's table (done once per class at load); answers true.
bool NSKeyValueRegisterProperties(Class cls, std::initializer_list<NSKeyValueProperty> properties);
// The property of a key, from the class up; null when no table has it.
const NSKeyValueProperty* NSKeyValueFindProperty(Class cls, const std::string& key);

namespace NSKeyValueBoxing {

[[noreturn]] void raiseNilValue(NSObject* self, const std::string& key);
[[noreturn]] void raiseWrongType(NSObject* self, const std::string& key, const char* expected);
NSNumber* numberOrRaise(NSObject* self, const std::string& key, NSObject* value);
NSString* stringOrRaise(NSObject* self, const std::string& key, NSObject* value);

template <class T>
NSObject* box(const T& value) {
  if constexpr (std::is_same_v<T, bool>) {
    return NSNumber::numberWithBool(value);
  } else if constexpr (std::is_same_v<T, SEL>) {
    return value ? NSString::stringWithUTF8String(sel_getName(value)) : nullptr;
  } else if constexpr (std::is_floating_point_v<T>) {
    return NSNumber::numberWithDouble(double(value));
  } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
    return NSNumber::numberWithLongLong((long long)value);
  } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    return NSNumber::numberWithUnsignedLongLong((unsigned long long)value);
  } else if constexpr (std::is_pointer_v<T>) {
    static_assert(std::is_base_of_v<NSObject, std::remove_cv_t<std::remove_pointer_t<T>>>,
                  "object properties hold NSObjects");
    return const_cast<NSObject*>(static_cast<const NSObject*>(value));
  } else {
    // RefPtr<T> and WeakPtr<T>
    auto strong = RefPtr(value.get());
    return const_cast<NSObject*>(static_cast<const NSObject*>(strong.get()));
  }
}

template <class T>
T unbox(NSObject* self, const std::string& key, NSObject* value) {
  if constexpr (std::is_same_v<T, bool>) {
    return numberOrRaise(self, key, value)->boolValue();
  } else if constexpr (std::is_same_v<T, SEL>) {
    NSString* name = value ? stringOrRaise(self, key, value) : nullptr;
    return name ? sel_registerName(name->UTF8String()) : nullptr;
  } else if constexpr (std::is_floating_point_v<T>) {
    return T(numberOrRaise(self, key, value)->doubleValue());
  } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
    return T(numberOrRaise(self, key, value)->longLongValue());
  } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    return T(numberOrRaise(self, key, value)->unsignedLongLongValue());
  } else {
    using Object = std::remove_cv_t<std::remove_pointer_t<T>>;
    static_assert(std::is_pointer_v<T> && std::is_base_of_v<NSObject, Object>, "object properties hold NSObjects");
    if (value && !NSObjectIsKindOfClass(value, Object::class_())) raiseWrongType(self, key, class_getName(Object::class_()));
    return static_cast<T>(value);
  }
}

// The argument type of a setter member function.
template <class F>
struct SetterArgument;
template <class T, class A>
struct SetterArgument<void (T::*)(A)> {
  using Type = std::remove_cv_t<std::remove_reference_t<A>>;
};
template <class P>
struct PointeeOf;
template <class T>
struct PointeeOf<RefPtr<T>> {
  using Type = T;
};
template <class T>
struct PointeeOf<WeakPtr<T>> {
  using Type = T;
};

// One body for const and non-const getters: both are called on the object as a T.
template <class T, class Getter, class S>
NSKeyValueProperty makeProperty(const char* key, Getter getter, S setter) {
  NSKeyValueProperty property{key, [getter](NSObject* self) -> NSObject* {
                                return NSKeyValueBoxing::box((static_cast<T*>(self)->*getter)());
                              }, nullptr};
  if constexpr (!std::is_same_v<S, std::nullptr_t>) {
    using Argument = typename SetterArgument<S>::Type;
    property.set = [setter, key = std::string(key)](NSObject* self, NSObject* value) {
      (static_cast<T*>(self)->*setter)(NSKeyValueBoxing::unbox<Argument>(self, key, value));
    };
  }
  return property;
}

}  // namespace NSKeyValueBoxing

// A property read and set through member functions (the setter may be null for read-only).
template <class T, class R, class S>
NSKeyValueProperty NSKeyValueMakeProperty(const char* key, R (T::*getter)() const, S setter) {
  return NSKeyValueBoxing::makeProperty<T>(key, getter, setter);
}

// Getters that are not const are accepted as well.
template <class T, class R, class S>
NSKeyValueProperty NSKeyValueMakeProperty(const char* key, R (T::*getter)(), S setter) {
  return NSKeyValueBoxing::makeProperty<T>(key, getter, setter);
}

// A property kept in a RefPtr<T> (retained) or WeakPtr<T> (outlets: not retained) member.
template <class T, class Holder>
NSKeyValueProperty NSKeyValueMakeMemberProperty(const char* key, Holder T::*member) {
  using Object = typename NSKeyValueBoxing::PointeeOf<Holder>::Type;
  return {key,
          [member](NSObject* self) -> NSObject* { return NSKeyValueBoxing::box(static_cast<T*>(self)->*member); },
          [member, key = std::string(key)](NSObject* self, NSObject* value) {
            static_cast<T*>(self)->*member = Holder(NSKeyValueBoxing::unbox<Object*>(self, key, value));
          }};
}

#define NS_PROPERTY(key, getter, setter) NSKeyValueMakeProperty(key, getter, setter)
#define NS_READONLY_PROPERTY(key, getter) NSKeyValueMakeProperty(key, getter, nullptr)
#define NS_OUTLET(key, member) NSKeyValueMakeMemberProperty(key, member)
#define NS_PROPERTIES(Name, ...)                                              \
  [[maybe_unused]] static const bool ns_property_registration_##Name = \
      NSKeyValueRegisterProperties(Name::class_(), {__VA_ARGS__});

#pragma GCC visibility pop
