#pragma once
// A zeroing weak reference: for the back-pointers that an object must not keep alive
// (outlets, delegates, targets, observers). It answers null once the object has been freed,
// and a strong reference otherwise, so that the object cannot go away while it is used:
//   WeakPtr<NSView> mNibblerSubView;  ...  if (RefPtr<NSView> view = mNibblerSubView.get()) ...
#include <memory>

#include <objc/RefPtr.h>
#include <objc/SideTable.h>

template <class T>
class WeakPtr {
 public:
  WeakPtr() = default;
  WeakPtr(std::nullptr_t) {}
  WeakPtr(T* object) : mBox(objc::weakBox(object)) {}
  WeakPtr& operator=(T* object) {
    mBox = objc::weakBox(object);
    return *this;
  }
  WeakPtr& operator=(std::nullptr_t) {
    mBox.reset();
    return *this;
  }

  // A strong reference to the object, or null when it is gone (or was never set).
  RefPtr<T> get() const {
    if (!mBox) return nullptr;
    return RefPtr<T>::adopt(static_cast<T*>(mBox->retainObject()));
  }
  // True while the object lives; only a hint when other threads may release it.
  explicit operator bool() const { return mBox && mBox->address(); }
  // Identity comparison without retaining; a cleared reference equals no object.
  bool refersTo(const NSObject* object) const { return object && mBox && mBox->address() == object; }

 private:
  std::shared_ptr<objc::WeakBox> mBox;
};
