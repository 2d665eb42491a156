#pragma once
// Writes an object graph as a keyed archive: a property list
//   { "$archiver" = "NSKeyedArchiver"; "$version" = 100000;
//     "$top" = { key = <UID>; ... };
//     "$objects" = ( "$null", object, ... ); }
// where every object is written once in "$objects" and referred to by its index, a UID
// written as { "CF$UID" = index; }. Strings, numbers and data stand in "$objects" as they
// are; other objects are dictionaries of their coded values with "$class", the UID of
// { "$classname" = name; "$classes" = (name, superclass names ..., NSObject); }.
// The archive is written as an XML property list.
#include <unordered_map>
#include <vector>

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSPropertyList.h>

#pragma GCC visibility push(default)

class NSData;
class NSMutableData;

class NSKeyedArchiver : public NSCoder {
  OBJC_CLASS_DECL(NSKeyedArchiver, NSCoder)

 public:
  // The autoreleased archive of root under the key "root"; null with an error when the graph
  // holds an object that cannot be coded.
  static NSData* archivedDataWithRootObject_requiringSecureCoding_error(NSObject* root,
                                                                        bool requiresSecureCoding,
                                                                        NSError** error);

  // Writes into its own data, answered by encodedData.
  NSKeyedArchiver* initRequiringSecureCoding(bool requiresSecureCoding);
  // Appends the archive to data when encoding finishes.
  NSKeyedArchiver* initForWritingWithMutableData(NSMutableData* data);

  // XML is the only format written; other formats are reported and XML kept.
  void setOutputFormat(NSPropertyListFormat format);
  NSPropertyListFormat outputFormat() const { return mOutputFormat; }

  bool requiresSecureCoding() const override { return mSecure; }

  void encodeObject_forKey(NSObject* object, NSString* key) override;
  void encodeBool_forKey(bool value, NSString* key) override;
  void encodeInt_forKey(int value, NSString* key) override;
  void encodeInt32_forKey(int32_t value, NSString* key) override;
  void encodeInt64_forKey(int64_t value, NSString* key) override;
  void encodeInteger_forKey(NSInteger value, NSString* key) override;
  void encodeFloat_forKey(float value, NSString* key) override;
  void encodeDouble_forKey(double value, NSString* key) override;
  void encodeBytes_length_forKey(const uint8_t* bytes, NSUInteger length, NSString* key) override;

  // Writes the archive; later encodes are reported and ignored.
  void finishEncoding();
  // The archive written so far (finishing the encoding first).
  NSData* encodedData();

 protected:
  NSKeyedArchiver() = default;
  ~NSKeyedArchiver() override;

 private:
  void setValue(CFTypeRef value, NSString* key);
  // The index of object in "$objects", writing it there first when it is new; 0 for null and
  // for objects that cannot be coded (then the archiver fails).
  CFIndex referenceTo(NSObject* object);
  CFIndex classReference(Class cls);
  bool encodeContents(NSObject* object, CFMutableDictionaryRef into);
  CFIndex append(CFTypeRef value);

  NSMutableData* mData = nullptr;
  NSPropertyListFormat mOutputFormat = NSPropertyListXMLFormat_v1_0;
  bool mSecure = true;
  bool mFinished = false;
  CFMutableArrayRef mObjects = nullptr;
  CFMutableDictionaryRef mTop = nullptr;
  std::vector<CFMutableDictionaryRef> mContainers;
  std::unordered_map<const NSObject*, CFIndex> mObjectIndexes;
  std::unordered_map<Class, CFIndex> mClassIndexes;
  // The coded objects stay alive while archiving, so that no address is reused for another.
  std::vector<const NSObject*> mCodedObjects;
};

#pragma GCC visibility pop
