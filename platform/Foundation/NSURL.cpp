#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <Foundation/NSURLHandle.h>

#include "backend/FoundationSupport.h"
#include "backend/NSViewClass.h"

NS_VIEW_CLASS_DEFINE(NSURL, NSObject)

using Foundation::autoreleased;

NSURLHandle* NSURL::URLHandleUsingCache(bool shouldUseCache) const {
  NSURLHandle* handle = NSURLHandle::alloc()->initWithURL_cached(const_cast<NSURL*>(this), shouldUseCache);
  return handle ? static_cast<NSURLHandle*>(handle->autorelease()) : nullptr;
}

NSURL* NSURL::URLWithString(NSString* string) { return URLWithString_relativeToURL(string, nullptr); }

NSURL* NSURL::URLWithString_relativeToURL(NSString* string, NSURL* baseURL) {
  if (!string) return nullptr;
  return autoreleased<NSURL>(
      CFURLCreateWithString(nullptr, string->cfString(), baseURL ? baseURL->cfURL() : nullptr));
}

NSURL* NSURL::fileURLWithPath(NSString* path) {
  if (!path) return nullptr;
  const NSUInteger length = path->length();
  return fileURLWithPath_isDirectory(path, length > 0 && path->characterAtIndex(length - 1) == '/');
}

NSURL* NSURL::fileURLWithPath_isDirectory(NSString* path, bool isDirectory) {
  if (!path) return nullptr;
  return autoreleased<NSURL>(
      CFURLCreateWithFileSystemPath(nullptr, path->cfString(), kCFURLPOSIXPathStyle, isDirectory));
}

bool NSURL::isFileURL() const {
  NSString* scheme = this->scheme();
  return scheme && scheme->caseInsensitiveCompare(NSSTR("file")) == NSOrderedSame;
}

NSString* NSURL::absoluteString() const {
  NSURL* absolute = absoluteURL();
  return absolute ? absolute->relativeString() : nullptr;
}

NSURL* NSURL::absoluteURL() const { return autoreleased<NSURL>(CFURLCopyAbsoluteURL(cfURL())); }

NSString* NSURL::relativeString() const { return toNSString(CFURLGetString(cfURL())); }

NSURL* NSURL::baseURL() const { return bridge_cast<NSURL*>(CFURLGetBaseURL(cfURL())); }

NSString* NSURL::scheme() const { return autoreleased<NSString>(CFURLCopyScheme(cfURL())); }

NSString* NSURL::host() const { return autoreleased<NSString>(CFURLCopyHostName(cfURL())); }

NSString* NSURL::path() const {
  // The path of a relative URL counts from its base, as the platform resolves it.
  NSURL* absolute = absoluteURL();
  return autoreleased<NSString>(
      CFURLCopyFileSystemPath((absolute ? absolute : this)->cfURL(), kCFURLPOSIXPathStyle));
}

NSString* NSURL::lastPathComponent() const {
  return autoreleased<NSString>(CFURLCopyLastPathComponent(cfURL()));
}

NSString* NSURL::pathExtension() const {
  NSString* extension = autoreleased<NSString>(CFURLCopyPathExtension(cfURL()));
  return extension ? extension : NSString::string();
}

NSURL* NSURL::URLByAppendingPathComponent(NSString* component) const {
  if (!component) return nullptr;
  return autoreleased<NSURL>(
      CFURLCreateCopyAppendingPathComponent(nullptr, cfURL(), component->cfString(), false));
}

NSURL* NSURL::URLByDeletingLastPathComponent() const {
  return autoreleased<NSURL>(CFURLCreateCopyDeletingLastPathComponent(nullptr, cfURL()));
}

NSURL* NSURL::URLByAppendingPathExtension(NSString* extension) const {
  if (!extension) return nullptr;
  return autoreleased<NSURL>(CFURLCreateCopyAppendingPathExtension(nullptr, cfURL(), extension->cfString()));
}

NSURL* NSURL::URLByDeletingPathExtension() const {
  return autoreleased<NSURL>(CFURLCreateCopyDeletingPathExtension(nullptr, cfURL()));
}

NSString* NSURL::description() const {
  NSURL* base = baseURL();
  if (!base) return relativeString();
  return NSString::stringWithFormat(NSSTR("%@ -- %@"), relativeString(), base->relativeString());
}
