#pragma once
// NSNull is CFNull: NSNull::null() is kCFNull.
#include <CoreFoundation/CFBase.h>
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSNull : public NSObject {
 public:
  static Class class_();
  static NSNull* null() { return bridge_cast<NSNull*>(kCFNull); }

 protected:
  NSNull() = default;
};

#pragma GCC visibility pop
