#pragma once
// Small helpers that the value classes, archives and property lists share.
#include <CoreFoundation/CFString.h>
#include <Foundation/NSObject.h>

#include <string>

class NSError;

namespace Foundation {

// Hands an object made with a Create or Copy function to the current autorelease pool and
// answers it as T; null stays null.
template <class T>
T* autoreleased(const void* object) {
  if (!object) return nullptr;
  objc_autorelease(object);
  return static_cast<T*>(const_cast<void*>(object));
}

// The UTF-8 text of a string ("" for null).
std::string utf8(CFStringRef string);
// A new autoreleased string of UTF-8 text.
CFStringRef autoreleasedString(const std::string& text);
// An autoreleased error of the Cocoa domain whose description is text.
NSError* cocoaError(long code, const std::string& text);

}  // namespace Foundation
