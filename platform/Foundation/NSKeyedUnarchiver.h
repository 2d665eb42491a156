#pragma once
// Reads the keyed archives that NSKeyedArchiver writes. It makes only objects whose classes
// the caller allows (NSClassList; a subclass of an allowed class counts): an archive naming
// any other class, a class the registry does not know, or a class that cannot be decoded
// gives null with an error. So does every malformed archive: data that is not a property
// list or not a keyed archive, references outside "$objects", references that loop back into
// an object still being read, values of the wrong kind. Nothing is thrown.
//
// The classes allowed for a value are those given to decodeObjectOfClasses_forKey (or
// decodeObjectOfClass_forKey) and, while that value's own contents are read, those again:
// decodeObjectForKey inside an initWithCoder reads with the classes of the enclosing call.
// decodeObjectForKey outside any such call has no classes to allow and fails: say which.
#include <string>
#include <vector>

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <Foundation/NSCoder.h>
#include <objc/RefPtr.h>

#pragma GCC visibility push(default)

class NSData;

class NSKeyedUnarchiver : public NSCoder {
  OBJC_CLASS_DECL(NSKeyedUnarchiver, NSCoder)

 public:
  // The autoreleased object under the key "root", or null with an error.
  static NSObject* unarchivedObjectOfClass_fromData_error(Class cls, NSData* data, NSError** error);
  static NSObject* unarchivedObjectOfClasses_fromData_error(const NSClassList& classes, NSData* data,
                                                            NSError** error);
  // The classes of property lists: NSString, NSNumber, NSData, NSDate, NSArray, NSDictionary.
  static NSClassList propertyListClasses();

  // Null (with an error, when asked) when data is not a keyed archive.
  NSKeyedUnarchiver* initForReadingFromData_error(NSData* data, NSError** error);
  // The older form, without the error.
  NSKeyedUnarchiver* initForReadingWithData(NSData* data) {
    return initForReadingFromData_error(data, nullptr);
  }

  bool containsValueForKey(NSString* key) override;
  NSObject* decodeObjectForKey(NSString* key) override;
  NSObject* decodeObjectOfClass_forKey(Class cls, NSString* key) override;
  NSObject* decodeObjectOfClasses_forKey(const NSClassList& classes, NSString* key) override;
  bool decodeBoolForKey(NSString* key) override;
  int decodeIntForKey(NSString* key) override;
  int32_t decodeInt32ForKey(NSString* key) override;
  int64_t decodeInt64ForKey(NSString* key) override;
  NSInteger decodeIntegerForKey(NSString* key) override;
  float decodeFloatForKey(NSString* key) override;
  double decodeDoubleForKey(NSString* key) override;
  const uint8_t* decodeBytesForKey_returnedLength(NSString* key, NSUInteger* length) override;

  // Does nothing: the archive needs no closing.
  void finishDecoding() {}

 protected:
  NSKeyedUnarchiver() = default;
  ~NSKeyedUnarchiver() override;

 private:
  enum class State : unsigned char { Unread, Reading, Read };

  CFTypeRef archivedValue(NSString* key);
  NSObject* decodeReference(CFTypeRef uidValue, const char* what);
  NSObject* objectAtIndex(CFIndex index);
  NSObject* makeObject(CFDictionaryRef contents, CFIndex index);
  // The objects of a "NS.keys"/"NS.objects" style array of UIDs, none of them nil.
  bool readUIDArray(CFDictionaryRef contents, CFStringRef key, std::vector<RefPtr<NSObject>>& objects);
  bool isAllowed(Class cls) const;
  bool isAllowedObject(const NSObject* object) const;
  bool readNumber(NSString* key, CFNumberRef& number);
  void fail(const std::string& message);

  static constexpr unsigned kMaximumDepth = 1000;

  CFDictionaryRef mArchive = nullptr;
  unsigned mDepth = 0;
  CFArrayRef mObjects = nullptr;
  std::vector<CFDictionaryRef> mContainers;
  std::vector<NSClassList> mAllowed;
  std::vector<RefPtr<NSObject>> mDecoded;
  std::vector<State> mStates;
};

#pragma GCC visibility pop
