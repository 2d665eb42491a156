#pragma once
// The object behind CFStringRef: UTF-16 text, a mutability flag, and for immutable
// all-ASCII text an 8-bit copy that CFStringGetCStringPtr can hand out. Immutable strings
// never change after creation, so they are safe to share between threads. It is an
// NSMutableString (declared by Foundation, whose methods are called on it), mutable or not.
#include <string>

#include <CoreFoundation/CFString.h>
#include <objc/NSObject.h>
#include <Foundation/NSString.h>

struct __CFString : NSMutableString {
  explicit __CFString(std::u16string characters, bool isMutable = false);

  bool isEqual(const NSObject* other) const override;
  unsigned long hash() const override;
  const __CFString* copyDescription() const override;
  unsigned long cfTypeID() const override;

  static CFTypeID typeID();
  // The string behind a reference, or null when the reference is null or not a string.
  static const __CFString* from(CFTypeRef object);

  // Keeps the 8-bit copy when every character is ASCII (immutable strings only).
  void keepAsciiForm();

  std::u16string mCharacters;
  std::string mAsciiForm;
  bool mHasAsciiForm = false;
  bool mMutable;
};

namespace CFStringText {
// A new immutable string (+1) holding the characters.
CFStringRef create(std::u16string characters);
// UTF-8 text of a string, for messages and descriptions (unpaired surrogates become U+FFFD).
std::string utf8(CFStringRef string);
// Writes a misuse report ("CFString: function: problem") to stderr.
void report(const char* function, const char* problem);
// The string to change, or null (reported) when it is null, not a string or immutable.
__CFString* mutableString(CFMutableStringRef string, const char* function);
// True when the range lies inside the string; else false, reported.
bool checkRange(const __CFString* string, CFRange range, const char* function);
}  // namespace CFStringText
