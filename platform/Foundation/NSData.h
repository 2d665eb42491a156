#pragma once
// NSData is CFData: an NSData* and a CFDataRef point at the same object. Files are read and
// written whole; an atomic write goes through a temporary file in the same folder, flushed
// and renamed over the old one, so a reader sees the old contents or the new, never half.
#include <CoreFoundation/CFData.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRange.h>

#pragma GCC visibility push(default)

class NSString;
class NSURL;
class NSError;

class NSData : public NSObject {
 public:
  static Class class_();

  // Autoreleased.
  static NSData* data();
  static NSData* dataWithBytes_length(const void* bytes, NSUInteger length);
  // Takes over bytes made with malloc when freeWhenDone, else borrows them.
  static NSData* dataWithBytesNoCopy_length_freeWhenDone(void* bytes, NSUInteger length, bool freeWhenDone);
  static NSData* dataWithData(NSData* data);
  // Null when the file cannot be read.
  static NSData* dataWithContentsOfFile(NSString* path);
  // File URLs only: null for other schemes and for unreadable files.
  static NSData* dataWithContentsOfURL(NSURL* url);

  CFDataRef cfData() const { return reinterpret_cast<CFDataRef>(this); }

  NSUInteger length() const;
  const void* bytes() const;
  void getBytes_length(void* buffer, NSUInteger length) const;
  // Null (reported) when the range lies outside the data.
  NSData* subdataWithRange(NSRange range) const;
  bool isEqualToData(const NSData* other) const;
  // "<0a0b0c0d 0e>": the bytes in hexadecimal, in groups of four.
  NSString* description() const;

  bool writeToFile_atomically(NSString* path, bool atomically) const;
  bool writeToFile_options_error(NSString* path, bool atomically, NSError** error) const;
  bool writeToURL_atomically(NSURL* url, bool atomically) const;

  // +1 copies.
  NSData* copy() const;
  class NSMutableData* mutableCopy() const;

 protected:
  NSData() = default;
};

class NSMutableData : public NSData {
 public:
  static Class class_();

  // Autoreleased.
  static NSMutableData* data();
  static NSMutableData* dataWithCapacity(NSUInteger capacity);
  // length zero bytes.
  static NSMutableData* dataWithLength(NSUInteger length);
  static NSMutableData* dataWithBytes_length(const void* bytes, NSUInteger length);
  static NSMutableData* dataWithData(NSData* data);

  CFMutableDataRef cfMutableData() const {
    return reinterpret_cast<CFMutableDataRef>(const_cast<NSMutableData*>(this));
  }

  void* mutableBytes();
  void setLength(NSUInteger length);
  void increaseLengthBy(NSUInteger extraLength);
  void appendBytes_length(const void* bytes, NSUInteger length);
  void appendData(NSData* other);
  void replaceBytesInRange_withBytes(NSRange range, const void* bytes);
  void replaceBytesInRange_withBytes_length(NSRange range, const void* bytes, NSUInteger length);
  void resetBytesInRange(NSRange range);
  void setData(NSData* other);

 protected:
  NSMutableData() = default;
};

#pragma GCC visibility pop
