#include <CoreFoundation/CFPropertyList.h>

#include <cstring>
#include <string>
#include <vector>

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

#include "backend/CFCollectionCallBacks.h"
#include "backend/CFPropertyListXML.h"

namespace {

CFErrorRef createError(CFIndex code, const std::string& message) {
  CFStringRef description = CFCollection::createString(message);
  const void* keys[] = {kCFErrorDescriptionKey};
  const void* values[] = {description};
  CFErrorRef error = CFErrorCreateWithUserInfoKeysAndValues(nullptr, kCFErrorDomainCocoa, code, keys, values, 1);
  CFRelease(description);
  return error;
}

bool isValid(CFPropertyListRef object, CFPropertyListFormat format, int depth) {
  if (!object || depth > CFPropertyListXML::kMaximumDepth) return false;
  CFTypeID type = CFGetTypeID(object);
  if (type == CFStringGetTypeID() || type == CFDataGetTypeID()) return true;
  if (type == CFNumberGetTypeID() || type == CFBooleanGetTypeID() || type == CFDateGetTypeID()) {
    return format != kCFPropertyListOpenStepFormat;
  }
  if (type == CFArrayGetTypeID()) {
    auto* array = static_cast<CFArrayRef>(object);
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
      if (!isValid(CFArrayGetValueAtIndex(array, i), format, depth + 1)) return false;
    }
    return true;
  }
  if (type == CFDictionaryGetTypeID()) {
    auto* dictionary = static_cast<CFDictionaryRef>(object);
    CFIndex count = CFDictionaryGetCount(dictionary);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    for (size_t i = 0; i < keys.size(); ++i) {
      if (!keys[i] || CFGetTypeID(keys[i]) != CFStringGetTypeID()) return false;
      if (!isValid(values[i], format, depth + 1)) return false;
    }
    return true;
  }
  return false;
}

CFPropertyListRef deepCopy(CFPropertyListRef object, CFOptionFlags mutability, int depth) {
  if (!object || depth > CFPropertyListXML::kMaximumDepth) return nullptr;
  CFTypeID type = CFGetTypeID(object);
  bool mutableLeaves = mutability == kCFPropertyListMutableContainersAndLeaves;
  bool mutableContainers = mutability != kCFPropertyListImmutable;
  if (type == CFStringGetTypeID()) {
    auto* string = static_cast<CFStringRef>(object);
    return mutableLeaves ? CFStringCreateMutableCopy(nullptr, 0, string) : CFStringCreateCopy(nullptr, string);
  }
  if (type == CFDataGetTypeID()) {
    auto* data = static_cast<CFDataRef>(object);
    return mutableLeaves ? CFDataCreateMutableCopy(nullptr, 0, data) : CFDataCreateCopy(nullptr, data);
  }
  if (type == CFNumberGetTypeID() || type == CFBooleanGetTypeID() || type == CFDateGetTypeID()) {
    return CFRetain(object);
  }
  if (type == CFArrayGetTypeID()) {
    auto* array = static_cast<CFArrayRef>(object);
    CFMutableArrayRef copy = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
      CFPropertyListRef value = deepCopy(CFArrayGetValueAtIndex(array, i), mutability, depth + 1);
      if (!value) {
        CFRelease(copy);
        return nullptr;
      }
      CFArrayAppendValue(copy, value);
      CFRelease(value);
    }
    if (mutableContainers) return copy;
    CFArrayRef immutable = CFArrayCreateCopy(nullptr, copy);
    CFRelease(copy);
    return immutable;
  }
  if (type == CFDictionaryGetTypeID()) {
    auto* dictionary = static_cast<CFDictionaryRef>(object);
    CFIndex count = CFDictionaryGetCount(dictionary);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    CFMutableDictionaryRef copy =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    for (size_t i = 0; i < keys.size(); ++i) {
      // Keys stay immutable: a key that changed later would be lost in its dictionary.
      CFPropertyListRef key = deepCopy(keys[i], kCFPropertyListImmutable, depth + 1);
      CFPropertyListRef value = key ? deepCopy(values[i], mutability, depth + 1) : nullptr;
      if (!value) {
        if (key) CFRelease(key);
        CFRelease(copy);
        return nullptr;
      }
      CFDictionarySetValue(copy, key, value);
      CFRelease(key);
      CFRelease(value);
    }
    if (mutableContainers) return copy;
    CFDictionaryRef immutable = CFDictionaryCreateCopy(nullptr, copy);
    CFRelease(copy);
    return immutable;
  }
  return nullptr;
}

CFPropertyListRef readPropertyList(CFDataRef data, CFOptionFlags options, std::string& message) {
  if (!data || CFGetTypeID(data) != CFDataGetTypeID()) {
    message = "no data to read";
    return nullptr;
  }
  const UInt8* bytes = CFDataGetBytePtr(data);
  size_t length = static_cast<size_t>(CFDataGetLength(data));
  if (length == 0) {
    message = "the data is empty";
    return nullptr;
  }
  if (length >= 6 && std::memcmp(bytes, "bplist", 6) == 0) {
    message = "binary property lists are not read, only XML ones";
    return nullptr;
  }
  return CFPropertyListXML::read(bytes, length, options, message);
}

}  // namespace

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef, CFDataRef data, CFOptionFlags options,
                                               CFPropertyListFormat* format, CFErrorRef* error) {
  if (error) *error = nullptr;
  std::string message;
  CFPropertyListRef result = readPropertyList(data, options, message);
  if (result) {
    if (format) *format = kCFPropertyListXMLFormat_v1_0;
    return result;
  }
  if (error) *error = createError(kCFPropertyListReadCorruptError, message);
  return nullptr;
}

CFDataRef CFPropertyListCreateData(CFAllocatorRef, CFPropertyListRef propertyList, CFPropertyListFormat format,
                                   CFOptionFlags, CFErrorRef* error) {
  if (error) *error = nullptr;
  std::string message;
  std::optional<std::string> text;
  if (format != kCFPropertyListXMLFormat_v1_0) {
    message = "only the XML property-list format is written";
  } else {
    text = CFPropertyListXML::write(propertyList, message);
  }
  if (!text) {
    if (error) *error = createError(kCFPropertyListWriteInvalidError, message);
    return nullptr;
  }
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text->data()), static_cast<CFIndex>(text->size()));
}

CFPropertyListRef CFPropertyListCreateDeepCopy(CFAllocatorRef, CFPropertyListRef propertyList,
                                               CFOptionFlags mutabilityOption) {
  CFPropertyListRef copy = deepCopy(propertyList, mutabilityOption, 0);
  if (!copy) CFCollection::report("CFPropertyListCreateDeepCopy", "%p is not a property list", propertyList);
  return copy;
}

Boolean CFPropertyListIsValid(CFPropertyListRef plist, CFPropertyListFormat format) {
  if (format != kCFPropertyListOpenStepFormat && format != kCFPropertyListXMLFormat_v1_0 &&
      format != kCFPropertyListBinaryFormat_v1_0) {
    return false;
  }
  return isValid(plist, format, 0);
}

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef, CFDataRef xmlData, CFOptionFlags mutabilityOption,
                                                  CFStringRef* errorString) {
  if (errorString) *errorString = nullptr;
  std::string message;
  CFPropertyListRef result = readPropertyList(xmlData, mutabilityOption, message);
  if (!result && errorString) *errorString = CFCollection::createString(message);
  return result;
}

CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef, CFPropertyListRef propertyList) {
  std::string message;
  std::optional<std::string> text = CFPropertyListXML::write(propertyList, message);
  if (!text) {
    CFCollection::report("CFPropertyListCreateXMLData", "%s", message.c_str());
    return nullptr;
  }
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text->data()), static_cast<CFIndex>(text->size()));
}
