#pragma once
// NSURL is CFURL: an NSURL* and a CFURLRef point at the same object.
#include <CoreFoundation/CFURL.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSString;
class NSURLHandle;

class NSURL : public NSObject {
 public:
  static Class class_();

  // Autoreleased; null when the text is not a valid URL.
  static NSURL* URLWithString(NSString* string);
  static NSURL* URLWithString_relativeToURL(NSString* string, NSURL* baseURL);
  // A file URL of a POSIX path; a path ending in "/" names a directory.
  static NSURL* fileURLWithPath(NSString* path);
  static NSURL* fileURLWithPath_isDirectory(NSString* path, bool isDirectory);

  CFURLRef cfURL() const { return reinterpret_cast<CFURLRef>(this); }

  bool isFileURL() const;
  // The full text, resolved against the base.
  NSString* absoluteString() const;
  NSURL* absoluteURL() const;
  // The text as made, without the base.
  NSString* relativeString() const;
  NSURL* baseURL() const;
  NSString* scheme() const;
  NSString* host() const;
  // Unescaped, without a trailing "/".
  NSString* path() const;
  NSString* lastPathComponent() const;
  NSString* pathExtension() const;
  NSURL* URLByAppendingPathComponent(NSString* component) const;
  NSURL* URLByDeletingLastPathComponent() const;
  NSURL* URLByAppendingPathExtension(NSString* extension) const;
  NSURL* URLByDeletingPathExtension() const;
  // A new handle that loads the URL (see NSURLHandle.h), autoreleased.
  NSURLHandle* URLHandleUsingCache(bool shouldUseCache) const;
  bool isEqualToURL(const NSURL* other) const { return other && CFEqual(this, other); }
  // The text, followed by " -- " and the base when there is one.
  NSString* description() const;

 protected:
  NSURL() = default;
};

#pragma GCC visibility pop
