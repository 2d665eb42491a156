#pragma once
// Property lists: trees of strings, numbers, booleans, dates, data, arrays and dictionaries
// with string keys, read from and written to the XML property-list format. Only that format
// is kept: binary documents are recognised and refused with an error saying so.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFError.h>

typedef CF_OPTIONS(CFOptionFlags, CFPropertyListMutabilityOptions){
    kCFPropertyListImmutable = 0,
    kCFPropertyListMutableContainers = 1,
    kCFPropertyListMutableContainersAndLeaves = 2,
};

typedef CF_ENUM(CFIndex, CFPropertyListFormat){
    kCFPropertyListOpenStepFormat = 1,
    kCFPropertyListXMLFormat_v1_0 = 100,
    kCFPropertyListBinaryFormat_v1_0 = 200,
};

// Error codes of the property-list errors (in kCFErrorDomainCocoa).
enum : CFIndex {
  kCFPropertyListReadCorruptError = 3840,
  kCFPropertyListReadUnknownVersionError = 3841,
  kCFPropertyListWriteInvalidError = 3851,
};

// The property list in data (+1), or null with an error (+1, when asked) saying what is wrong
// with the document. options are the mutability options; format, when given, receives the
// format read.
CF_EXPORT CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef allocator, CFDataRef data,
                                                         CFOptionFlags options, CFPropertyListFormat* format,
                                                         CFErrorRef* error);
// The property list as an XML document; null with an error for another format or for a tree
// that is not a property list (or holds text that XML cannot carry).
CF_EXPORT CFDataRef CFPropertyListCreateData(CFAllocatorRef allocator, CFPropertyListRef propertyList,
                                             CFPropertyListFormat format, CFOptionFlags options, CFErrorRef* error);
CF_EXPORT CFPropertyListRef CFPropertyListCreateDeepCopy(CFAllocatorRef allocator, CFPropertyListRef propertyList,
                                                         CFOptionFlags mutabilityOption);
CF_EXPORT Boolean CFPropertyListIsValid(CFPropertyListRef plist, CFPropertyListFormat format);

// The older forms: errors come back as a string (+1) instead of a CFError.
CF_EXPORT CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator, CFDataRef xmlData,
                                                            CFOptionFlags mutabilityOption, CFStringRef* errorString);
CF_EXPORT CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef allocator, CFPropertyListRef propertyList);
