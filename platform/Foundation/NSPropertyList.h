#pragma once
// Property-list serialization: trees of NSString, NSNumber, NSDate, NSData, NSArray and
// NSDictionary with string keys, to and from the XML property-list format (CoreFoundation's
// reader and writer). The binary format is recognised when read but neither read nor
// written: asking for it answers null with an error.
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSData;
class NSError;
class NSString;

typedef NSUInteger NSPropertyListFormat;
enum : NSUInteger {
  NSPropertyListOpenStepFormat = 1,
  NSPropertyListXMLFormat_v1_0 = 100,
  NSPropertyListBinaryFormat_v1_0 = 200,
};

typedef NSUInteger NSPropertyListMutabilityOptions;
typedef NSPropertyListMutabilityOptions NSPropertyListReadOptions;
typedef NSUInteger NSPropertyListWriteOptions;
enum : NSUInteger {
  NSPropertyListImmutable = 0,
  NSPropertyListMutableContainers = 1,
  NSPropertyListMutableContainersAndLeaves = 2,
};

class NSPropertyListSerialization : public NSObject {
  OBJC_CLASS_DECL(NSPropertyListSerialization, NSObject)

 public:
  // Autoreleased data; null with an error when the tree is not a property list (or holds text
  // that XML cannot carry) or the format is not XML.
  static NSData* dataWithPropertyList_format_options_error(NSObject* plist, NSPropertyListFormat format,
                                                           NSPropertyListWriteOptions options,
                                                           NSError** error);
  // The older form: the error comes back as an autoreleased text.
  static NSData* dataFromPropertyList_format_errorDescription(NSObject* plist, NSPropertyListFormat format,
                                                              NSString** errorString);
  // The autoreleased tree read from data; null with an error for data that is not a property list.
  static NSObject* propertyListWithData_options_format_error(NSData* data, NSPropertyListReadOptions options,
                                                             NSPropertyListFormat* format, NSError** error);
  static NSObject* propertyListFromData_mutabilityOption_format_errorDescription(
      NSData* data, NSPropertyListMutabilityOptions option, NSPropertyListFormat* format,
      NSString** errorString);
  static bool propertyList_isValidForFormat(NSObject* plist, NSPropertyListFormat format);

 private:
  NSPropertyListSerialization() = default;
};

#pragma GCC visibility pop
