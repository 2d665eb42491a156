#pragma once
// The owner of a dispatch object (dispatch objects are not objects of the object root, which
// RefPtr holds): one reference of its own. Construct (and assignment) retains the new value and
// releases the old; destruction releases. So the creator of an object releases its creation
// reference after storing it.
#include <dispatch/dispatch.h>

#include <utility>

namespace requiredCpp {

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
