#include <Foundation/NSNull.h>

// NSNull has no factory: its one instance is kCFNull.
Class NSNull::class_() {
  static const objc_class cls{"NSNull", NSObject::class_(), nullptr};
  return &cls;
}
[[maybe_unused]] static const Class registeredNullClass = objc_registerClass(NSNull::class_());
