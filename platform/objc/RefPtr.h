#pragma once
// Owned references to objects of the platform layer, CoreFoundation references included.
//   RefPtr<T>  a retained reference that may be null;
//   Ref<T>     a retained reference that is never null;
//   adopt(p)   takes over the reference that a Create, Copy or alloc-init handed out.
// Ownership is always spelled out: RefPtr<T>(p) retains a borrowed pointer, adopt(p) takes a
// +1 one, .get() passes the raw pointer on. Nothing converts between a reference and a raw
// pointer implicitly, in either direction.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include <objc/NSObject.h>

template <class T>
class RefPtr {
 public:
  RefPtr() = default;
  RefPtr(std::nullptr_t) {}
  // Retains object.
  explicit RefPtr(T* object) : mObject(object) { retainObject(); }
  RefPtr(const RefPtr& other) : mObject(other.mObject) { retainObject(); }
  RefPtr(RefPtr&& other) noexcept : mObject(std::exchange(other.mObject, nullptr)) {}
  template <class U>
  RefPtr(const RefPtr<U>& other) : mObject(other.get()) {
    retainObject();
  }
  template <class U>
  RefPtr(RefPtr<U>&& other) noexcept : mObject(other.leak()) {}
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
  RefPtr& operator=(std::nullptr_t) {
    RefPtr released(std::move(*this));
    return *this;
  }

  T* get() const { return mObject; }
  T* operator->() const { return mObject; }
  T& operator*() const { return *mObject; }
  explicit operator bool() const { return mObject != nullptr; }

  template <class U>
  bool operator==(const RefPtr<U>& other) const {
    return mObject == other.get();
  }
  bool operator==(std::nullptr_t) const { return mObject == nullptr; }

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

namespace objc {
// A Ref made from null is a fault of its maker: it stops the process in every build, at the
// place of the fault rather than at some later use.
[[noreturn]] inline void nullReference() {
  std::fputs("Ref: made from a null pointer\n", stderr);
  std::abort();
}
}  // namespace objc

template <class T>
class Ref {
 public:
  // Retains object, which must not be null.
  explicit Ref(T* object) : mRef(object) {
    if (!object) objc::nullReference();
  }
  template <class U>
  Ref(const Ref<U>& other) : mRef(other.get()) {}

  T* get() const { return mRef.get(); }
  T* operator->() const { return mRef.get(); }
  T& operator*() const { return *mRef.get(); }

  static Ref adopt(T* object) {
    if (!object) objc::nullReference();
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
