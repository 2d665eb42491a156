#pragma once
// An atomic, retained object property, as the UI library's classes keep theirs: a reader on
// one thread gets a value that stays alive (retained and autoreleased) however another thread
// sets the property meanwhile.
//   UAtomicProperty<NSString> mTitle;
//   NSString* title() const { return mTitle.get(); }
//   void setTitle(NSString* title) { mTitle.set(title); }
#include <Foundation/NSObject.h>

#include <mutex>

template <class T>
class UAtomicProperty {
 public:
  // Autoreleased; null when unset.
  T* get() const {
    std::lock_guard<std::mutex> lock(mLock);
    T* value = mValue.get();
    return value ? static_cast<T*>(value->retain()->autorelease()) : nullptr;
  }
  // A strong reference, for callers that must leave nothing in the autorelease pool (a
  // thread that never drains one, such as a frame thread).
  RefPtr<T> copy() const {
    std::lock_guard<std::mutex> lock(mLock);
    return mValue;
  }
  void set(T* value) {
    RefPtr<T> previous{value};
    std::lock_guard<std::mutex> lock(mLock);
    mValue.swap(previous);
  }

 private:
  mutable std::mutex mLock;
  RefPtr<T> mValue;
};
