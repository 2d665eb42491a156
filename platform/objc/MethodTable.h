#pragma once
// Methods found by selector: each class lists in its .cpp file the methods that may be called
// by name (actions of target-action and nib connections, notification handlers, methods that
// callers test with respondsToSelector), and the lookup searches the class and then its
// superclasses, so a subclass's entry overrides its superclass's.
//
//   OBJC_METHODS(NSUIViewPlaceholder,
//                OBJC_METHOD("installSender:", &NSUIViewPlaceholder::installSender),
//                OBJC_METHOD("initialView", &NSUIViewPlaceholder::initialView))
//
// A method takes no argument or one object and answers nothing or an object; a listed
// virtual member function dispatches to the receiver's override as usual.
#include <functional>
#include <initializer_list>
#include <type_traits>

#include <objc/NSObject.h>
#include <objc/Selector.h>

#pragma GCC visibility push(default)

namespace objc {

struct Method {
  SEL selector;
  // Calls the method on self; the argument is ignored by methods that take none.
  std::function<NSObject*(NSObject* self, NSObject* argument)> invoke;
};

template <class R>
NSObject* methodResult(R* result) {
  static_assert(std::is_base_of_v<NSObject, std::remove_cv_t<R>>, "a method answers an object or nothing");
  return const_cast<NSObject*>(static_cast<const NSObject*>(result));
}

template <class T, class R>
Method method(const char* name, R (T::*function)()) {
  return {sel_registerName(name), [function](NSObject* self, NSObject*) -> NSObject* {
            if constexpr (std::is_void_v<R>) {
              (static_cast<T*>(self)->*function)();
              return nullptr;
            } else {
              return methodResult((static_cast<T*>(self)->*function)());
            }
          }};
}

template <class T, class R>
Method method(const char* name, R (T::*function)() const) {
  return {sel_registerName(name), [function](NSObject* self, NSObject*) -> NSObject* {
            if constexpr (std::is_void_v<R>) {
              (static_cast<const T*>(self)->*function)();
              return nullptr;
            } else {
              return methodResult((static_cast<const T*>(self)->*function)());
            }
          }};
}

template <class T, class R, class A>
Method method(const char* name, R (T::*function)(A*)) {
  static_assert(std::is_base_of_v<NSObject, std::remove_cv_t<A>>, "a method takes an object");
  return {sel_registerName(name), [function](NSObject* self, NSObject* argument) -> NSObject* {
            A* typed = static_cast<A*>(argument);
            if constexpr (std::is_void_v<R>) {
              (static_cast<T*>(self)->*function)(typed);
              return nullptr;
            } else {
              return methodResult((static_cast<T*>(self)->*function)(typed));
            }
          }};
}

// Adds methods to a class's table (done once per class at load); answers true.
bool addMethods(Class cls, std::initializer_list<Method> methods);

}  // namespace objc

// The method of a selector, looked up along the superclass chain; null when there is none.
const objc::Method* class_getMethod(Class cls, SEL selector);
bool class_respondsToSelector(Class cls, SEL selector);

#define OBJC_METHOD(name, function) objc::method(name, function)
#define OBJC_METHODS(Name, ...)                                          \
  [[maybe_unused]] static const bool objc_method_registration_##Name = \
      objc::addMethods(Name::class_(), {__VA_ARGS__});

#pragma GCC visibility pop
