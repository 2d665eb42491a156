#pragma once
// A retained property that several threads read and write. What it held before is let go
// after its lock is given back: letting a texture or a context go may take their own locks
// (a GL context's), which must never be taken inside this one.
#include <objc/RefPtr.h>

#include <mutex>
#include <utility>

template <class T>
class LockedProperty {
 public:
  RefPtr<T> get() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mValue;
  }
  void set(RefPtr<T> value) {
    {
      std::lock_guard<std::mutex> lock(mMutex);
      std::swap(mValue, value);
    }
    // The old value goes here, unlocked.
  }

 private:
  mutable std::mutex mMutex;
  RefPtr<T> mValue;
};
