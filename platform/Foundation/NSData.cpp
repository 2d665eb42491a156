#include <Foundation/NSData.h>
#include <Foundation/NSError.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "backend/FoundationSupport.h"
#include "backend/NSFileWriting.h"
#include "backend/NSViewClass.h"

NS_VIEW_CLASS_DEFINE(NSData, NSObject)
NS_VIEW_CLASS_DEFINE(NSMutableData, NSData)

using Foundation::autoreleased;

namespace {

const UInt8* bytesOf(const void* bytes) { return static_cast<const UInt8*>(bytes); }

bool readFile(const char* path, std::string& contents) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    contents.append(buffer, size_t(count));
  }
  ::close(fd);
  return ok;
}

}  // namespace

NSData* NSData::data() { return dataWithBytes_length(nullptr, 0); }

NSData* NSData::dataWithBytes_length(const void* bytes, NSUInteger length) {
  if (!bytes) length = 0;
  return autoreleased<NSData>(CFDataCreate(nullptr, bytesOf(bytes), CFIndex(length)));
}

NSData* NSData::dataWithBytesNoCopy_length_freeWhenDone(void* bytes, NSUInteger length, bool freeWhenDone) {
  return autoreleased<NSData>(CFDataCreateWithBytesNoCopy(
      nullptr, bytesOf(bytes), CFIndex(length), freeWhenDone ? kCFAllocatorMalloc : kCFAllocatorNull));
}

NSData* NSData::dataWithData(NSData* data) {
  return data ? autoreleased<NSData>(CFDataCreateCopy(nullptr, data->cfData())) : NSData::data();
}

NSData* NSData::dataWithContentsOfFile(NSString* path) {
  if (!path) return nullptr;
  std::string contents;
  if (!readFile(path->UTF8String(), contents)) return nullptr;
  return dataWithBytes_length(contents.data(), contents.size());
}

NSData* NSData::dataWithContentsOfURL(NSURL* url) {
  if (!url || !url->isFileURL()) return nullptr;
  return dataWithContentsOfFile(url->path());
}

NSUInteger NSData::length() const { return NSUInteger(CFDataGetLength(cfData())); }

const void* NSData::bytes() const { return CFDataGetBytePtr(cfData()); }

void NSData::getBytes_length(void* buffer, NSUInteger length) const {
  NSUInteger count = length < this->length() ? length : this->length();
  if (count) std::memcpy(buffer, bytes(), count);
}

NSData* NSData::subdataWithRange(NSRange range) const {
  if (range.location > length() || range.length > length() - range.location) {
    std::fprintf(stderr, "-[NSData subdataWithRange:]: range {%lu, %lu} lies outside %lu bytes\n",
                 range.location, range.length, length());
    return nullptr;
  }
  return dataWithBytes_length(static_cast<const char*>(bytes()) + range.location, range.length);
}

bool NSData::isEqualToData(const NSData* other) const { return other && CFEqual(this, other); }

NSString* NSData::description() const {
  static const char digits[] = "0123456789abcdef";
  std::string text = "<";
  auto* data = static_cast<const unsigned char*>(bytes());
  for (NSUInteger i = 0; i < length(); ++i) {
    if (i > 0 && i % 4 == 0) text += ' ';
    text += digits[data[i] >> 4];
    text += digits[data[i] & 15];
  }
  text += ">";
  return NSString::stringWithUTF8String(text.c_str());
}

bool NSData::writeToFile_atomically(NSString* path, bool atomically) const {
  return writeToFile_options_error(path, atomically, nullptr);
}

bool NSData::writeToFile_options_error(NSString* path, bool atomically, NSError** error) const {
  if (!path) {
    if (error) *error = NSError::errorWithDomain_code_userInfo(NSPOSIXErrorDomain, EINVAL, nullptr);
    return false;
  }
  int failure = Foundation::writeFile(path->UTF8String(), bytes(), length(), atomically);
  if (failure && error) *error = NSError::errorWithDomain_code_userInfo(NSPOSIXErrorDomain, failure, nullptr);
  return failure == 0;
}

bool NSData::writeToURL_atomically(NSURL* url, bool atomically) const {
  return url && url->isFileURL() && writeToFile_atomically(url->path(), atomically);
}

NSData* NSData::copy() const { return bridge_cast<NSData*>(CFDataCreateCopy(nullptr, cfData())); }

NSMutableData* NSData::mutableCopy() const {
  return bridge_cast<NSMutableData*>(CFDataCreateMutableCopy(nullptr, 0, cfData()));
}

NSMutableData* NSMutableData::data() { return dataWithCapacity(0); }

NSMutableData* NSMutableData::dataWithCapacity(NSUInteger capacity) {
  return autoreleased<NSMutableData>(CFDataCreateMutable(nullptr, CFIndex(capacity)));
}

NSMutableData* NSMutableData::dataWithLength(NSUInteger length) {
  NSMutableData* data = dataWithCapacity(length);
  data->setLength(length);
  return data;
}

NSMutableData* NSMutableData::dataWithBytes_length(const void* bytes, NSUInteger length) {
  NSMutableData* data = dataWithCapacity(length);
  data->appendBytes_length(bytes, length);
  return data;
}

NSMutableData* NSMutableData::dataWithData(NSData* other) {
  return other ? dataWithBytes_length(other->bytes(), other->length()) : data();
}

void* NSMutableData::mutableBytes() { return CFDataGetMutableBytePtr(cfMutableData()); }

void NSMutableData::setLength(NSUInteger length) { CFDataSetLength(cfMutableData(), CFIndex(length)); }

void NSMutableData::increaseLengthBy(NSUInteger extraLength) {
  CFDataIncreaseLength(cfMutableData(), CFIndex(extraLength));
}

void NSMutableData::appendBytes_length(const void* bytes, NSUInteger length) {
  if (bytes && length) CFDataAppendBytes(cfMutableData(), bytesOf(bytes), CFIndex(length));
}

void NSMutableData::appendData(NSData* other) {
  if (other) appendBytes_length(other->bytes(), other->length());
}

void NSMutableData::replaceBytesInRange_withBytes(NSRange range, const void* bytes) {
  replaceBytesInRange_withBytes_length(range, bytes, range.length);
}

void NSMutableData::replaceBytesInRange_withBytes_length(NSRange range, const void* bytes,
                                                         NSUInteger length) {
  // Replacing past the end grows the data, as the platform does.
  if (NSMaxRange(range) > this->length()) setLength(NSMaxRange(range));
  CFDataReplaceBytes(cfMutableData(), CFRangeMake(CFIndex(range.location), CFIndex(range.length)),
                     bytesOf(bytes), CFIndex(bytes ? length : 0));
}

void NSMutableData::resetBytesInRange(NSRange range) {
  if (NSMaxRange(range) > length()) setLength(NSMaxRange(range));
  std::memset(static_cast<char*>(mutableBytes()) + range.location, 0, range.length);
}

void NSMutableData::setData(NSData* other) {
  setLength(0);
  appendData(other);
}
