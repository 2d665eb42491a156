#pragma once
// For the .cpp files of the bridged classes: the class object of a class that is a view of a
// CoreFoundation type. It has a name and a superclass but no factory, since its objects are
// only ever made as CF objects.
#include <Foundation/NSObject.h>

#define NS_VIEW_CLASS_DEFINE(Name, Super)                                     \
  Class Name::class_() {                                                      \
    static const objc_class cls{#Name, Super::class_(), nullptr};             \
    return &cls;                                                              \
  }                                                                           \
  [[maybe_unused]] static const Class objc_view_class_registration_##Name =  \
      objc_registerClass(Name::class_());

namespace Foundation {
// Hands an object made with a Create or Copy function to the current autorelease pool and
// answers it as T; null stays null.
template <class T>
T* autoreleased(const void* object) {
  if (!object) return nullptr;
  objc_autorelease(object);
  return static_cast<T*>(const_cast<void*>(object));
}
}  // namespace Foundation

#include <string>

#include <CoreFoundation/CFString.h>

namespace Foundation {
// The UTF-8 text of a string ("" for null).
std::string utf8(CFStringRef string);
// A new autoreleased string of UTF-8 text.
CFStringRef autoreleasedString(const std::string& text);
}  // namespace Foundation

class NSError;

namespace Foundation {
// An autoreleased error of the Cocoa domain whose description is text.
NSError* cocoaError(long code, const std::string& text);
}  // namespace Foundation
