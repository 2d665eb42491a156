#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFSet.h>
#include <CoreFoundation/CFURL.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSError.h>
#include <Foundation/NSKeyedArchiver.h>
#include <Foundation/NSString.h>

#include <cstdio>
#include <string>

#include "backend/FoundationSupport.h"
#include "backend/NSKeyedArchiveFormat.h"

OBJC_CLASS_DEFINE(NSKeyedArchiver)

namespace {

CFMutableDictionaryRef createContainer() {
  return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                   &kCFTypeDictionaryValueCallBacks);
}

void setAndRelease(CFMutableDictionaryRef into, CFStringRef key, CFTypeRef value) {
  CFDictionarySetValue(into, key, value);
  CFRelease(value);
}

CFNumberRef createInteger(long long value) { return CFNumberCreate(nullptr, kCFNumberLongLongType, &value); }

// Bridged objects are coded under the names of their Foundation classes; the CF collections
// as their immutable classes, which readers that allow the immutable class accept.
Class codingClassOf(const NSObject* object) {
  Class cls = NSObjectGetClass(object);
  for (Class candidate = cls; candidate; candidate = class_getSuperclass(candidate)) {
    std::string name = class_getName(candidate);
    if (name == "NSMutableArray" || name == "NSMutableDictionary" || name == "NSMutableSet") {
      return class_getSuperclass(candidate);
    }
    if (name == "NSArray" || name == "NSDictionary" || name == "NSSet") return candidate;
  }
  return cls;
}

}  // namespace

NSData* NSKeyedArchiver::archivedDataWithRootObject_requiringSecureCoding_error(NSObject* root,
                                                                                bool requiresSecureCoding,
                                                                                NSError** error) {
  RefPtr<NSKeyedArchiver> archiver =
      adopt(NSKeyedArchiver::alloc()->initRequiringSecureCoding(requiresSecureCoding));
  archiver->encodeObject_forKey(root, NSSTR("root"));
  NSData* data = archiver->encodedData();
  if (archiver->error()) {
    if (error) *error = static_cast<NSError*>(archiver->error()->retain()->autorelease());
    return nullptr;
  }
  return data;
}

NSKeyedArchiver* NSKeyedArchiver::initRequiringSecureCoding(bool requiresSecureCoding) {
  mSecure = requiresSecureCoding;
  return initForWritingWithMutableData(NSMutableData::data());
}

NSKeyedArchiver* NSKeyedArchiver::initForWritingWithMutableData(NSMutableData* data) {
  if (!data) {
    std::fprintf(stderr, "-[NSKeyedArchiver initForWritingWithMutableData:]: no data to write into\n");
    release();
    return nullptr;
  }
  mData = static_cast<NSMutableData*>(data->retain());
  mObjects = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(mObjects, CFSTR("$null"));
  mTop = createContainer();
  mContainers.push_back(mTop);
  return this;
}

NSKeyedArchiver::~NSKeyedArchiver() {
  for (const NSObject* object : mCodedObjects) object->release();
  if (mTop) CFRelease(mTop);
  if (mObjects) CFRelease(mObjects);
  objc_release(mData);
}

void NSKeyedArchiver::setOutputFormat(NSPropertyListFormat format) {
  if (format != NSPropertyListXMLFormat_v1_0) {
    std::fprintf(stderr, "-[NSKeyedArchiver setOutputFormat:]: format %lu is not written here; writing XML\n",
                 format);
  }
}

void NSKeyedArchiver::setValue(CFTypeRef value, NSString* key) {
  if (mFinished) {
    std::fprintf(stderr, "-[NSKeyedArchiver encode…]: the encoding has finished\n");
    return;
  }
  CFStringRef escaped = KeyedArchive::createEscapedKey(key);
  if (!escaped) {
    std::fprintf(stderr, "-[NSKeyedArchiver encode…]: a value needs a key\n");
    return;
  }
  CFDictionarySetValue(mContainers.back(), escaped, value);
  CFRelease(escaped);
}

void NSKeyedArchiver::encodeObject_forKey(NSObject* object, NSString* key) {
  if (mFinished || !key) return setValue(nullptr, key);
  CFTypeRef uid = KeyedArchive::createUID(referenceTo(object));
  setValue(uid, key);
  CFRelease(uid);
}

void NSKeyedArchiver::encodeBool_forKey(bool value, NSString* key) {
  setValue(value ? kCFBooleanTrue : kCFBooleanFalse, key);
}

void NSKeyedArchiver::encodeInt_forKey(int value, NSString* key) { encodeInt64_forKey(value, key); }

void NSKeyedArchiver::encodeInt32_forKey(int32_t value, NSString* key) { encodeInt64_forKey(value, key); }

void NSKeyedArchiver::encodeInteger_forKey(NSInteger value, NSString* key) { encodeInt64_forKey(value, key); }

void NSKeyedArchiver::encodeInt64_forKey(int64_t value, NSString* key) {
  CFNumberRef number = createInteger(value);
  setValue(number, key);
  CFRelease(number);
}

void NSKeyedArchiver::encodeFloat_forKey(float value, NSString* key) {
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberFloat32Type, &value);
  setValue(number, key);
  CFRelease(number);
}

void NSKeyedArchiver::encodeDouble_forKey(double value, NSString* key) {
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberFloat64Type, &value);
  setValue(number, key);
  CFRelease(number);
}

void NSKeyedArchiver::encodeBytes_length_forKey(const uint8_t* bytes, NSUInteger length, NSString* key) {
  CFDataRef data = CFDataCreate(nullptr, bytes, bytes ? CFIndex(length) : 0);
  setValue(data, key);
  CFRelease(data);
}

CFIndex NSKeyedArchiver::append(CFTypeRef value) {
  CFArrayAppendValue(mObjects, value);
  return CFArrayGetCount(mObjects) - 1;
}

CFIndex NSKeyedArchiver::referenceTo(NSObject* object) {
  if (!object) return 0;
  auto known = mObjectIndexes.find(object);
  if (known != mObjectIndexes.end()) return known->second;

  const CFTypeID type = object->cfTypeID();
  CFIndex index = 0;
  if (type == CFStringGetTypeID() || type == CFDataGetTypeID()) {
    // Kept as an immutable copy, so that a later change to a mutable one does not reach the archive.
    CFTypeRef copy = type == CFStringGetTypeID()
                         ? CFTypeRef(CFStringCreateCopy(nullptr, bridge_cast<CFStringRef>(object)))
                         : CFTypeRef(CFDataCreateCopy(nullptr, bridge_cast<CFDataRef>(object)));
    index = append(copy);
    CFRelease(copy);
  } else if (type == CFNumberGetTypeID() || type == CFBooleanGetTypeID()) {
    index = append(object);
  } else {
    // The index is taken before the contents are coded, so that an object met again inside
    // its own contents refers to itself instead of recursing without end.
    index = append(CFSTR("$null"));
    mObjectIndexes[object] = index;
    mCodedObjects.push_back(object->retain());
    CFMutableDictionaryRef contents = createContainer();
    if (encodeContents(object, contents)) {
      CFArraySetValueAtIndex(mObjects, index, contents);
    } else {
      index = 0;
      mObjectIndexes[object] = 0;
    }
    CFRelease(contents);
    return index;
  }
  mObjectIndexes[object] = index;
  mCodedObjects.push_back(object->retain());
  return index;
}

bool NSKeyedArchiver::encodeContents(NSObject* object, CFMutableDictionaryRef into) {
  const CFTypeID type = object->cfTypeID();
  auto uidArray = [&](const std::vector<const void*>& values) {
    CFMutableArrayRef uids = CFArrayCreateMutable(nullptr, CFIndex(values.size()), &kCFTypeArrayCallBacks);
    for (const void* value : values) {
      CFTypeRef uid = KeyedArchive::createUID(referenceTo(static_cast<NSObject*>(const_cast<void*>(value))));
      CFArrayAppendValue(uids, uid);
      CFRelease(uid);
    }
    return uids;
  };

  Class cls = codingClassOf(object);
  if (type == CFArrayGetTypeID()) {
    auto array = bridge_cast<CFArrayRef>(object);
    std::vector<const void*> values(size_t(CFArrayGetCount(array)));
    CFArrayGetValues(array, CFRangeMake(0, CFIndex(values.size())), values.data());
    setAndRelease(into, CFSTR("NS.objects"), uidArray(values));
  } else if (type == CFDictionaryGetTypeID()) {
    auto dictionary = bridge_cast<CFDictionaryRef>(object);
    std::vector<const void*> keys(size_t(CFDictionaryGetCount(dictionary))), values(keys.size());
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    setAndRelease(into, CFSTR("NS.keys"), uidArray(keys));
    setAndRelease(into, CFSTR("NS.objects"), uidArray(values));
  } else if (type == CFSetGetTypeID()) {
    auto set = bridge_cast<CFSetRef>(object);
    std::vector<const void*> values(size_t(CFSetGetCount(set)));
    CFSetGetValues(set, values.data());
    setAndRelease(into, CFSTR("NS.objects"), uidArray(values));
  } else if (type == CFDateGetTypeID()) {
    double time = CFDateGetAbsoluteTime(bridge_cast<CFDateRef>(object));
    setAndRelease(into, CFSTR("NS.time"), CFNumberCreate(nullptr, kCFNumberFloat64Type, &time));
  } else if (type == CFURLGetTypeID()) {
    auto url = bridge_cast<CFURLRef>(object);
    setAndRelease(into, CFSTR("NS.base"),
                  KeyedArchive::createUID(referenceTo(bridge_cast<NSObject*>(CFURLGetBaseURL(url)))));
    setAndRelease(into, CFSTR("NS.relative"),
                  KeyedArchive::createUID(referenceTo(bridge_cast<NSObject*>(CFURLGetString(url)))));
  } else if (type == CFNullGetTypeID()) {
    // NSNull is its class alone.
  } else if (auto* coding = dynamic_cast<NSCoding*>(object)) {
    mContainers.push_back(into);
    coding->encodeWithCoder(this);
    mContainers.pop_back();
  } else {
    std::string message = std::string("an object of class ") + class_getName(cls) + " cannot be archived";
    std::fprintf(stderr, "NSKeyedArchiver: %s; it is archived as nil\n", message.c_str());
    failWithError(Foundation::cocoaError(NSCoderInvalidValueError, message));
    return false;
  }
  setAndRelease(into, CFSTR("$class"), KeyedArchive::createUID(classReference(cls)));
  return true;
}

CFIndex NSKeyedArchiver::classReference(Class cls) {
  auto known = mClassIndexes.find(cls);
  if (known != mClassIndexes.end()) return known->second;
  CFMutableArrayRef names = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (Class candidate = cls; candidate; candidate = class_getSuperclass(candidate)) {
    CFStringRef name = CFStringCreateWithCString(nullptr, class_getName(candidate), kCFStringEncodingUTF8);
    CFArrayAppendValue(names, name);
    CFRelease(name);
  }
  CFMutableDictionaryRef description = createContainer();
  CFStringRef name = CFStringCreateWithCString(nullptr, class_getName(cls), kCFStringEncodingUTF8);
  setAndRelease(description, CFSTR("$classname"), name);
  setAndRelease(description, CFSTR("$classes"), names);
  CFIndex index = append(description);
  CFRelease(description);
  mClassIndexes[cls] = index;
  return index;
}

void NSKeyedArchiver::finishEncoding() {
  if (mFinished) return;
  mFinished = true;
  CFMutableDictionaryRef archive = createContainer();
  CFDictionarySetValue(archive, CFSTR("$archiver"), CFSTR("NSKeyedArchiver"));
  setAndRelease(archive, CFSTR("$version"), createInteger(KeyedArchive::kVersion));
  CFDictionarySetValue(archive, CFSTR("$top"), mTop);
  CFDictionarySetValue(archive, CFSTR("$objects"), mObjects);
  CFErrorRef failure = nullptr;
  CFDataRef xml = CFPropertyListCreateData(nullptr, archive, kCFPropertyListXMLFormat_v1_0, 0, &failure);
  CFRelease(archive);
  if (xml) {
    mData->appendData(bridge_cast<NSData*>(xml));
    CFRelease(xml);
  } else {
    // Text that XML cannot carry (control characters) ends here.
    failWithError(failure
                      ? bridge_cast<NSError*>(CFAutorelease(failure))
                      : Foundation::cocoaError(NSCoderInvalidValueError, "the archive could not be written"));
  }
}

NSData* NSKeyedArchiver::encodedData() {
  finishEncoding();
  return mData;
}
