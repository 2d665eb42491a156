#pragma once
// Owned references to objects of the platform layer, CoreFoundation references included.
//   RefPtr<T>  a retained reference that may be null;
//   Ref<T>     a retained reference that is never null;
//   adopt(p)   takes over the reference that a Create or Copy function handed out.
#include <cassert>
#include <cstddef>
#include <utility>

#include <objc/NSObject.h>

template <class T>
class RefPtr {
 public:
  RefPtr() = default;
  RefPtr(std::nullptr_t) {}
  RefPtr(T* object) : mObject(object) { retainObject(); }
  RefPtr(const RefPtr& other) : mObject(other.mObject) { retainObject(); }
  RefPtr(RefPtr&& other) noexcept : mObject(std::exchange(other.mObject, nullptr)) {}
  template <class U>
  RefPtr(const RefPtr<U>& other) : mObject(other.get()) { retainObject(); }
  ~RefPtr() { releaseObject(); }

  RefPtr& operator=(const RefPtr& other) {
    RefPtr copy(other);
    swap(copy);
    return *this;
  }
  RefPtr& operator=(RefPtr&& other) noexcept {
    RefPtr moved(std::move(other));
    swap(moved);
    return *this;
  }
  RefPtr& operator=(T* object) {
    RefPtr copy(object);
    swap(copy);
    return *this;
  }
  RefPtr& operator=(std::nullptr_t) {
    releaseObject();
    mObject = nullptr;
    return *this;
  }

  T* get() const { return mObject; }
  T* operator->() const { return mObject; }
  T& operator*() const { return *mObject; }
  explicit operator bool() const { return mObject != nullptr; }
  operator T*() const { return mObject; }

  // Hands the reference to the caller (for functions that return a +1 reference).
  [[nodiscard]] T* leak() { return std::exchange(mObject, nullptr); }
  void swap(RefPtr& other) noexcept { std::swap(mObject, other.mObject); }

  static RefPtr adopt(T* object) {
    RefPtr ref;
    ref.mObject = object;
    return ref;
  }

 private:
  void retainObject() {
    if (mObject) objc_retain(mObject);
  }
  void releaseObject() {
    if (mObject) objc_release(mObject);
  }

  T* mObject = nullptr;
};

template <class T>
class Ref {
 public:
  Ref(T* object) : mRef(object) { assert(object); }
  template <class U>
  Ref(const Ref<U>& other) : mRef(other.get()) {}

  T* get() const { return mRef.get(); }
  T* operator->() const { return mRef.get(); }
  T& operator*() const { return *mRef.get(); }
  operator T*() const { return mRef.get(); }

  static Ref adopt(T* object) {
    assert(object);
    return Ref(RefPtr<T>::adopt(object));
  }

 private:
  explicit Ref(RefPtr<T>&& ref) : mRef(std::move(ref)) {}
  RefPtr<T> mRef;
};

template <class T>
[[nodiscard]] inline RefPtr<T> adopt(T* object) {
  return RefPtr<T>::adopt(object);
}
