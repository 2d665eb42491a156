#include <CoreFoundation/CFPropertyList.h>
#include <Foundation/NSData.h>
#include <Foundation/NSError.h>
#include <Foundation/NSPropertyList.h>
#include <Foundation/NSString.h>

#include "backend/FoundationSupport.h"

OBJC_CLASS_DEFINE_NO_FACTORY(NSPropertyListSerialization)

using Foundation::autoreleased;

namespace {

void passError(CFErrorRef error, NSError** out) {
  if (!error) return;
  if (out) {
    *out = autoreleased<NSError>(error);
  } else {
    CFRelease(error);
  }
}

void passErrorText(NSError* error, NSString** out) {
  if (out) *out = error ? error->localizedDescription() : nullptr;
}

}  // namespace

NSData* NSPropertyListSerialization::dataWithPropertyList_format_options_error(NSObject* plist,
                                                                               NSPropertyListFormat format,
                                                                               NSPropertyListWriteOptions,
                                                                               NSError** error) {
  if (format != NSPropertyListXMLFormat_v1_0) {
    if (error)
      *error =
          Foundation::cocoaError(kCFPropertyListWriteInvalidError, "only XML property lists are written");
    return nullptr;
  }
  if (!plist) {
    if (error) *error = Foundation::cocoaError(kCFPropertyListWriteInvalidError, "no property list to write");
    return nullptr;
  }
  CFErrorRef failure = nullptr;
  CFDataRef data = CFPropertyListCreateData(nullptr, plist, kCFPropertyListXMLFormat_v1_0, 0, &failure);
  passError(failure, error);
  return autoreleased<NSData>(data);
}

NSData* NSPropertyListSerialization::dataFromPropertyList_format_errorDescription(NSObject* plist,
                                                                                  NSPropertyListFormat format,
                                                                                  NSString** errorString) {
  NSError* error = nullptr;
  NSData* data = dataWithPropertyList_format_options_error(plist, format, 0, &error);
  passErrorText(error, errorString);
  return data;
}

NSObject* NSPropertyListSerialization::propertyListWithData_options_format_error(
    NSData* data, NSPropertyListReadOptions options, NSPropertyListFormat* format, NSError** error) {
  if (!data) {
    if (error) *error = Foundation::cocoaError(kCFPropertyListReadCorruptError, "no data to read");
    return nullptr;
  }
  CFErrorRef failure = nullptr;
  CFPropertyListFormat readFormat = kCFPropertyListXMLFormat_v1_0;
  CFPropertyListRef list =
      CFPropertyListCreateWithData(nullptr, data->cfData(), options, &readFormat, &failure);
  passError(failure, error);
  if (list && format) *format = NSPropertyListFormat(readFormat);
  return autoreleased<NSObject>(list);
}

NSObject* NSPropertyListSerialization::propertyListFromData_mutabilityOption_format_errorDescription(
    NSData* data, NSPropertyListMutabilityOptions option, NSPropertyListFormat* format,
    NSString** errorString) {
  NSError* error = nullptr;
  NSObject* list = propertyListWithData_options_format_error(data, option, format, &error);
  passErrorText(error, errorString);
  return list;
}

bool NSPropertyListSerialization::propertyList_isValidForFormat(NSObject* plist,
                                                                NSPropertyListFormat format) {
  return plist && CFPropertyListIsValid(plist, CFPropertyListFormat(format));
}
