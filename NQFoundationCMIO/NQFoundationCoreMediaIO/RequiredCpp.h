#pragma once
// Owner wrappers: each holds one reference of its own. Construct (and assignment) retains the
// new value and releases the old; destruction releases. So the creator of an object releases
// its creation reference after storing it.
#include <CoreFoundation/CFBase.h>
#include <dispatch/dispatch.h>

#include <utility>

namespace requiredCpp {

template <class Ref>
class T_ostyperef {
 public:
  T_ostyperef() = default;
  explicit T_ostyperef(Ref value) { Construct(value); }
  ~T_ostyperef() { Construct(nullptr); }
  T_ostyperef(const T_ostyperef&) = delete;
  T_ostyperef& operator=(const T_ostyperef&) = delete;

  bool Construct(Ref value) {
    if (value) CFRetain(value);
    Ref previous = std::exchange(mRef, value);
    if (previous) CFRelease(previous);
    return mRef != nullptr;
  }
  T_ostyperef& operator=(Ref value) {
    Construct(value);
    return *this;
  }
  Ref Get() const { return mRef; }
  // The held reference, borrowed, wherever a plain reference is expected.
  operator Ref() const { return mRef; }
  bool IsValid() const { return mRef != nullptr; }

 private:
  Ref mRef = nullptr;
};

template <class Object>
class T_dispatch_obj {
 public:
  T_dispatch_obj() = default;
  ~T_dispatch_obj() { Construct(nullptr); }
  T_dispatch_obj(const T_dispatch_obj&) = delete;
  T_dispatch_obj& operator=(const T_dispatch_obj&) = delete;

  bool Construct(Object value) {
    if (value) dispatch_retain(value);
    Object previous = std::exchange(mObject, value);
    if (previous) dispatch_release(previous);
    return mObject != nullptr;
  }
  T_dispatch_obj& operator=(Object value) {
    Construct(value);
    return *this;
  }
  Object Get() const { return mObject; }
  bool IsValid() const { return mObject != nullptr; }

 private:
  Object mObject = nullptr;
};

}  // namespace requiredCpp
