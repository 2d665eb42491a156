#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFSet.h>
#include <CoreFoundation/CFURL.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSError.h>
#include <Foundation/NSKeyedUnarchiver.h>
#include <Foundation/NSNull.h>
#include <Foundation/NSSet.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <Foundation/NSValue.h>

#include <string>

#include "backend/FoundationSupport.h"
#include "backend/NSKeyedArchiveFormat.h"

OBJC_CLASS_DEFINE(NSKeyedUnarchiver)

namespace {

bool isType(CFTypeRef value, CFTypeID type) { return value && CFGetTypeID(value) == type; }

std::string nameOf(CFStringRef string) { return Foundation::utf8(string); }

}  // namespace

NSObject* NSKeyedUnarchiver::unarchivedObjectOfClass_fromData_error(Class cls, NSData* data,
                                                                    NSError** error) {
  return unarchivedObjectOfClasses_fromData_error(NSClassList{cls}, data, error);
}

NSObject* NSKeyedUnarchiver::unarchivedObjectOfClasses_fromData_error(const NSClassList& classes,
                                                                      NSData* data, NSError** error) {
  RefPtr<NSKeyedUnarchiver> unarchiver =
      adopt(NSKeyedUnarchiver::alloc()->initForReadingFromData_error(data, error));
  if (!unarchiver) return nullptr;
  NSObject* root = unarchiver->decodeObjectOfClasses_forKey(classes, NSSTR("root"));
  if (unarchiver->error()) {
    if (error) *error = static_cast<NSError*>(unarchiver->error()->retain()->autorelease());
    return nullptr;
  }
  return root;
}

NSClassList NSKeyedUnarchiver::propertyListClasses() {
  return {NSString::class_(), NSNumber::class_(), NSData::class_(),
          NSDate::class_(),   NSArray::class_(),  NSDictionary::class_()};
}

NSKeyedUnarchiver* NSKeyedUnarchiver::initForReadingFromData_error(NSData* data, NSError** error) {
  auto refuse = [&](const std::string& message) -> NSKeyedUnarchiver* {
    if (error) *error = Foundation::cocoaError(NSCoderReadCorruptError, message);
    release();
    return nullptr;
  };
  if (!data) return refuse("there is no data to unarchive");
  CFErrorRef failure = nullptr;
  CFPropertyListRef list =
      CFPropertyListCreateWithData(nullptr, data->cfData(), kCFPropertyListImmutable, nullptr, &failure);
  if (!list) {
    std::string reason = "the data is not a property list";
    if (failure) {
      CFStringRef description = CFErrorCopyDescription(failure);
      reason += ": " + nameOf(description);
      if (description) CFRelease(description);
      CFRelease(failure);
    }
    return refuse(reason);
  }
  mArchive = static_cast<CFDictionaryRef>(list);
  if (!isType(list, CFDictionaryGetTypeID())) return refuse("the data is not a keyed archive");
  CFTypeRef archiver = CFDictionaryGetValue(mArchive, CFSTR("$archiver"));
  CFTypeRef top = CFDictionaryGetValue(mArchive, CFSTR("$top"));
  CFTypeRef objects = CFDictionaryGetValue(mArchive, CFSTR("$objects"));
  if (!isType(archiver, CFStringGetTypeID()) || !CFEqual(archiver, CFSTR("NSKeyedArchiver")) ||
      !isType(top, CFDictionaryGetTypeID()) || !isType(objects, CFArrayGetTypeID())) {
    return refuse("the data is not a keyed archive");
  }
  CFTypeRef version = CFDictionaryGetValue(mArchive, CFSTR("$version"));
  long long versionNumber = 0;
  if (!isType(version, CFNumberGetTypeID()) ||
      !CFNumberGetValue(static_cast<CFNumberRef>(version), kCFNumberLongLongType, &versionNumber) ||
      versionNumber != KeyedArchive::kVersion) {
    return refuse("the keyed archive has an unknown version");
  }
  mObjects = static_cast<CFArrayRef>(objects);
  const CFIndex count = CFArrayGetCount(mObjects);
  if (count == 0 || !CFEqual(CFArrayGetValueAtIndex(mObjects, 0), CFSTR("$null"))) {
    return refuse("the keyed archive's objects do not begin with $null");
  }
  mDecoded.resize(size_t(count));
  mStates.resize(size_t(count), State::Unread);
  mContainers.push_back(static_cast<CFDictionaryRef>(top));
  return this;
}

NSKeyedUnarchiver::~NSKeyedUnarchiver() {
  if (mArchive) CFRelease(mArchive);
}

void NSKeyedUnarchiver::fail(const std::string& message) {
  failWithError(Foundation::cocoaError(NSCoderReadCorruptError, message));
}

CFTypeRef NSKeyedUnarchiver::archivedValue(NSString* key) {
  if (error() || !key || mContainers.empty()) return nullptr;
  CFStringRef escaped = KeyedArchive::createEscapedKey(key);
  CFTypeRef value = CFDictionaryGetValue(mContainers.back(), escaped);
  CFRelease(escaped);
  return value;
}

bool NSKeyedUnarchiver::containsValueForKey(NSString* key) { return archivedValue(key) != nullptr; }

bool NSKeyedUnarchiver::isAllowed(Class cls) const {
  if (mAllowed.empty()) return false;
  for (Class allowed : mAllowed.back()) {
    if (class_isSubclassOfClass(cls, allowed)) return true;
  }
  return false;
}

bool NSKeyedUnarchiver::isAllowedObject(const NSObject* object) const {
  if (mAllowed.empty()) return false;
  for (Class allowed : mAllowed.back()) {
    if (NSObjectIsKindOfClass(object, allowed)) return true;
  }
  return false;
}

NSObject* NSKeyedUnarchiver::decodeObjectForKey(NSString* key) {
  CFTypeRef value = archivedValue(key);
  if (!value) return nullptr;
  if (mAllowed.empty()) {
    fail("decodeObjectForKey: needs the classes to allow: use decodeObjectOfClasses_forKey");
    return nullptr;
  }
  NSObject* object = decodeReference(value, Foundation::utf8(key->cfString()).c_str());
  return object ? static_cast<NSObject*>(object->retain()->autorelease()) : nullptr;
}

NSObject* NSKeyedUnarchiver::decodeObjectOfClass_forKey(Class cls, NSString* key) {
  return decodeObjectOfClasses_forKey(NSClassList{cls}, key);
}

NSObject* NSKeyedUnarchiver::decodeObjectOfClasses_forKey(const NSClassList& classes, NSString* key) {
  mAllowed.push_back(classes);
  NSObject* object = decodeObjectForKey(key);
  mAllowed.pop_back();
  return error() ? nullptr : object;
}

NSObject* NSKeyedUnarchiver::decodeReference(CFTypeRef uidValue, const char* what) {
  CFIndex index = 0;
  if (!KeyedArchive::readUID(uidValue, index)) {
    fail(std::string("the value of ") + what + " is not an object reference");
    return nullptr;
  }
  return objectAtIndex(index);
}

NSObject* NSKeyedUnarchiver::objectAtIndex(CFIndex index) {
  if (error()) return nullptr;
  if (index == 0) return nullptr;
  if (index >= CFIndex(mStates.size())) {
    fail("object reference " + std::to_string(index) + " lies outside the archive's " +
         std::to_string(mStates.size()) + " objects");
    return nullptr;
  }
  const size_t slot = size_t(index);
  if (mStates[slot] == State::Reading) {
    fail("object " + std::to_string(index) + " refers back to itself");
    return nullptr;
  }
  if (mStates[slot] == State::Read) {
    NSObject* object = mDecoded[slot].get();
    if (object && !isAllowedObject(object)) {
      fail(std::string("an object of class ") + class_getName(NSObjectGetClass(object)) +
           " is not allowed here");
      return nullptr;
    }
    return object;
  }

  CFTypeRef value = CFArrayGetValueAtIndex(mObjects, index);
  const CFTypeID type = CFGetTypeID(value);
  Class cls = nullptr;
  if (type == CFStringGetTypeID())
    cls = NSString::class_();
  else if (type == CFNumberGetTypeID() || type == CFBooleanGetTypeID())
    cls = NSNumber::class_();
  else if (type == CFDataGetTypeID())
    cls = NSData::class_();
  if (cls) {
    if (!isAllowed(cls)) {
      fail(std::string("an object of class ") + class_getName(cls) + " is not allowed here");
      return nullptr;
    }
    mDecoded[slot] = RefPtr(const_cast<NSObject*>(static_cast<const NSObject*>(value)));
    mStates[slot] = State::Read;
    return mDecoded[slot].get();
  }
  if (type != CFDictionaryGetTypeID()) {
    fail("object " + std::to_string(index) + " is neither a value nor a coded object");
    return nullptr;
  }
  // Each level of nesting is a level of recursion here: a crafted archive must not be able
  // to run the stack out.
  if (mDepth >= kMaximumDepth) {
    fail("the archive nests objects more than " + std::to_string(kMaximumDepth) + " deep");
    return nullptr;
  }
  mStates[slot] = State::Reading;
  ++mDepth;
  RefPtr<NSObject> object = adopt(makeObject(static_cast<CFDictionaryRef>(value), index));
  --mDepth;
  if (error()) return nullptr;
  mDecoded[slot] = object;
  mStates[slot] = State::Read;
  return mDecoded[slot].get();
}

bool NSKeyedUnarchiver::readUIDArray(CFDictionaryRef contents, CFStringRef key,
                                     std::vector<RefPtr<NSObject>>& objects) {
  CFTypeRef uids = CFDictionaryGetValue(contents, key);
  if (!isType(uids, CFArrayGetTypeID())) {
    fail(nameOf(key) + " of a collection is not an array");
    return false;
  }
  const CFIndex count = CFArrayGetCount(static_cast<CFArrayRef>(uids));
  for (CFIndex i = 0; i < count; ++i) {
    NSObject* object = decodeReference(CFArrayGetValueAtIndex(static_cast<CFArrayRef>(uids), i), "a member");
    if (!object) {
      if (!error()) fail("a collection holds nil");
      return false;
    }
    objects.emplace_back(object);
  }
  return true;
}

NSObject* NSKeyedUnarchiver::makeObject(CFDictionaryRef contents, CFIndex index) {
  CFIndex classIndex = 0;
  CFTypeRef classValue = CFDictionaryGetValue(contents, CFSTR("$class"));
  if (!KeyedArchive::readUID(classValue, classIndex) || classIndex <= 0 ||
      classIndex >= CFArrayGetCount(mObjects)) {
    fail("object " + std::to_string(index) + " has no valid class");
    return nullptr;
  }
  CFTypeRef classDescription = CFArrayGetValueAtIndex(mObjects, classIndex);
  CFTypeRef className =
      isType(classDescription, CFDictionaryGetTypeID())
          ? CFDictionaryGetValue(static_cast<CFDictionaryRef>(classDescription), CFSTR("$classname"))
          : nullptr;
  if (!isType(className, CFStringGetTypeID())) {
    fail("object " + std::to_string(index) + " has no class name");
    return nullptr;
  }
  const std::string name = nameOf(static_cast<CFStringRef>(className));
  Class cls = objc_getClass(name.c_str());
  if (!cls) {
    fail("the archive names the unknown class " + name);
    return nullptr;
  }
  if (!isAllowed(cls)) {
    fail("an object of class " + name + " is not allowed here");
    return nullptr;
  }
  const bool isMutable = name.rfind("NSMutable", 0) == 0;

  if (class_isSubclassOfClass(cls, NSArray::class_()) || class_isSubclassOfClass(cls, NSSet::class_())) {
    std::vector<RefPtr<NSObject>> members;
    if (!readUIDArray(contents, CFSTR("NS.objects"), members)) return nullptr;
    if (class_isSubclassOfClass(cls, NSSet::class_())) {
      NSMutableSet* set = NSMutableSet::setWithCapacity(members.size());
      for (auto& member : members) set->addObject(member.get());
      return isMutable ? set->retain() : set->copy();
    }
    NSMutableArray* array = NSMutableArray::arrayWithCapacity(members.size());
    for (auto& member : members) array->addObject(member.get());
    return isMutable ? array->retain() : array->copy();
  }
  if (class_isSubclassOfClass(cls, NSDictionary::class_())) {
    std::vector<RefPtr<NSObject>> keys, values;
    if (!readUIDArray(contents, CFSTR("NS.keys"), keys) ||
        !readUIDArray(contents, CFSTR("NS.objects"), values)) {
      return nullptr;
    }
    if (keys.size() != values.size()) {
      fail("a dictionary has " + std::to_string(keys.size()) + " keys for " + std::to_string(values.size()) +
           " objects");
      return nullptr;
    }
    NSMutableDictionary* dictionary = NSMutableDictionary::dictionaryWithCapacity(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) dictionary->setObject_forKey(values[i].get(), keys[i].get());
    return isMutable ? dictionary->retain() : dictionary->copy();
  }
  if (class_isSubclassOfClass(cls, NSDate::class_())) {
    CFTypeRef time = CFDictionaryGetValue(contents, CFSTR("NS.time"));
    if (!isType(time, CFNumberGetTypeID())) {
      fail("a date has no time");
      return nullptr;
    }
    return bridge_cast<NSObject*>(CFDateCreate(nullptr, bridge_cast<NSNumber*>(time)->doubleValue()));
  }
  if (class_isSubclassOfClass(cls, NSURL::class_())) {
    // The URL's own parts are read whatever classes the caller allowed: they are part of it.
    mAllowed.push_back({NSString::class_(), NSURL::class_()});
    NSObject* base = decodeReference(CFDictionaryGetValue(contents, CFSTR("NS.base")), "NS.base");
    NSObject* relative = decodeReference(CFDictionaryGetValue(contents, CFSTR("NS.relative")), "NS.relative");
    mAllowed.pop_back();
    if (error()) return nullptr;
    auto* text = NSDynamicCast<NSString>(relative);
    auto* baseURL = NSDynamicCast<NSURL>(base);
    CFURLRef url = text && (baseURL || !base) ? CFURLCreateWithString(nullptr, text->cfString(),
                                                                      baseURL ? baseURL->cfURL() : nullptr)
                                              : nullptr;
    if (!url) fail("a URL is not valid");
    return bridge_cast<NSObject*>(url);
  }
  if (class_isSubclassOfClass(cls, NSNull::class_())) return bridge_cast<NSObject*>(kCFNull);
  if (class_isSubclassOfClass(cls, NSString::class_())) {
    CFTypeRef text = CFDictionaryGetValue(contents, CFSTR("NS.string"));
    if (!isType(text, CFStringGetTypeID())) {
      fail("a string has no text");
      return nullptr;
    }
    return bridge_cast<NSObject*>(
        isMutable ? CFTypeRef(CFStringCreateMutableCopy(nullptr, 0, static_cast<CFStringRef>(text)))
                  : CFRetain(text));
  }
  if (class_isSubclassOfClass(cls, NSData::class_())) {
    CFTypeRef bytes = CFDictionaryGetValue(contents, CFSTR("NS.data"));
    if (!isType(bytes, CFDataGetTypeID())) {
      fail("a data object has no bytes");
      return nullptr;
    }
    return bridge_cast<NSObject*>(CFDataCreateMutableCopy(nullptr, 0, static_cast<CFDataRef>(bytes)));
  }

  if (!cls->allocate) {
    fail("objects of class " + name + " cannot be made by name");
    return nullptr;
  }
  NSObject* instance = cls->allocate();
  if (!dynamic_cast<NSCoding*>(instance)) {
    instance->release();
    fail("the class " + name + " does not support keyed coding");
    return nullptr;
  }
  mContainers.push_back(contents);
  NSObject* object = instance->initWithCoder(this);
  mContainers.pop_back();
  if (error() && object) {
    object->release();
    return nullptr;
  }
  return object;
}

bool NSKeyedUnarchiver::readNumber(NSString* key, CFNumberRef& number) {
  CFTypeRef value = archivedValue(key);
  if (!value) return false;
  if (isType(value, CFBooleanGetTypeID())) {
    static const int one = 1, zero = 0;
    number = CFNumberCreate(nullptr, kCFNumberIntType,
                            CFBooleanGetValue(static_cast<CFBooleanRef>(value)) ? &one : &zero);
    CFAutorelease(number);
    return true;
  }
  if (!isType(value, CFNumberGetTypeID())) {
    fail("the value of " + Foundation::utf8(key->cfString()) + " is not a number");
    return false;
  }
  number = static_cast<CFNumberRef>(value);
  return true;
}

bool NSKeyedUnarchiver::decodeBoolForKey(NSString* key) { return decodeInt64ForKey(key) != 0; }

int NSKeyedUnarchiver::decodeIntForKey(NSString* key) { return int(decodeInt64ForKey(key)); }

int32_t NSKeyedUnarchiver::decodeInt32ForKey(NSString* key) { return int32_t(decodeInt64ForKey(key)); }

NSInteger NSKeyedUnarchiver::decodeIntegerForKey(NSString* key) { return NSInteger(decodeInt64ForKey(key)); }

int64_t NSKeyedUnarchiver::decodeInt64ForKey(NSString* key) {
  CFNumberRef number = nullptr;
  if (!readNumber(key, number)) return 0;
  return bridge_cast<NSNumber*>(number)->longLongValue();
}

float NSKeyedUnarchiver::decodeFloatForKey(NSString* key) { return float(decodeDoubleForKey(key)); }

double NSKeyedUnarchiver::decodeDoubleForKey(NSString* key) {
  CFNumberRef number = nullptr;
  if (!readNumber(key, number)) return 0;
  return bridge_cast<NSNumber*>(number)->doubleValue();
}

const uint8_t* NSKeyedUnarchiver::decodeBytesForKey_returnedLength(NSString* key, NSUInteger* length) {
  if (length) *length = 0;
  CFTypeRef value = archivedValue(key);
  if (!value) return nullptr;
  if (!isType(value, CFDataGetTypeID())) {
    fail("the value of " + Foundation::utf8(key->cfString()) + " is not bytes");
    return nullptr;
  }
  if (length) *length = NSUInteger(CFDataGetLength(static_cast<CFDataRef>(value)));
  return CFDataGetBytePtr(static_cast<CFDataRef>(value));
}
