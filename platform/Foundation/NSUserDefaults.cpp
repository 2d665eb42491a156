#include <Foundation/NSUserDefaults.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFPlatformRoot.h>
#include <CoreFoundation/CFPropertyList.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSValue.h>

#include "backend/NSFileWriting.h"

OBJC_CLASS_DEFINE_NO_FACTORY(NSUserDefaults)

namespace {

std::string applicationDomain() {
  CFStringRef identifier = CFBundleGetIdentifier(CFBundleGetMainBundle());
  char text[1024];
  if (identifier && CFStringGetCString(identifier, text, sizeof text, kCFStringEncodingUTF8) && text[0] &&
      !std::strchr(text, '/')) {
    return text;
  }
  return program_invocation_short_name;
}

std::mutex standardLock;
NSUserDefaults* standard = nullptr;  // retained

}  // namespace

// Changes not yet written when the process exits are written then; nothing is read, since
// other parts of the process may already be gone.
struct StandardUserDefaults {
  static void writeChangesAtExit() {
    std::lock_guard<std::mutex> guard(standardLock);
    if (standard) standard->writeChanges();
  }
};

namespace {

// A deep, immutable copy: later changes to the caller's containers do not reach the defaults.
RefPtr<NSObject> propertyListCopy(NSObject* value) {
  return adopt(static_cast<NSObject*>(const_cast<void*>(
      CFPropertyListCreateDeepCopy(nullptr, value, kCFPropertyListImmutable))));
}

NSObject* autoreleasedRetained(NSObject* value) {
  if (!value) return nullptr;
  value->retain();
  return value->autorelease();
}

}  // namespace

NSUserDefaults* NSUserDefaults::standardUserDefaults() {
  std::lock_guard<std::mutex> guard(standardLock);
  if (!standard) {
    static const bool exitHandlerInstalled = std::atexit(StandardUserDefaults::writeChangesAtExit) == 0;
    (void)exitHandlerInstalled;
    std::string path = CFPlatform::homePath() + "/Library/Preferences/" + applicationDomain() + ".plist";
    standard = (new NSUserDefaults())->initWithPath(path);
  }
  return standard;
}

void NSUserDefaults::resetStandardUserDefaults() {
  NSUserDefaults* previous;
  {
    std::lock_guard<std::mutex> guard(standardLock);
    previous = standard;
    standard = nullptr;
  }
  if (!previous) return;
  previous->synchronize();
  previous->release();
}

NSUserDefaults* NSUserDefaults::initWithPath(const std::string& path) {
  mPath = path;
  mValues = RefPtr(NSMutableDictionary::dictionary());
  mRegistered = RefPtr(NSMutableDictionary::dictionary());
  std::lock_guard<std::mutex> guard(mLock);
  readFileLocked();
  return this;
}

NSUserDefaults::~NSUserDefaults() = default;

void NSUserDefaults::readFileLocked() {
  NSData* data = NSData::dataWithContentsOfFile(NSString::stringWithUTF8String(mPath.c_str()));
  if (!data) return;  // no settings saved yet
  CFErrorRef error = nullptr;
  CFPropertyListRef list = CFPropertyListCreateWithData(nullptr, bridge_cast<CFDataRef>(data),
                                                        kCFPropertyListMutableContainers, nullptr, &error);
  if (error) CFRelease(error);
  if (!list || CFGetTypeID(list) != CFDictionaryGetTypeID()) {
    if (list) CFRelease(list);
    NSLog(NSSTR("NSUserDefaults: %s is not a property list of settings; it is kept aside at the next save"),
          mPath.c_str());
    mUnreadableFile = true;
    return;
  }
  mValues = adopt(static_cast<NSMutableDictionary*>(const_cast<void*>(list)));
}

bool NSUserDefaults::writeFileLocked() {
  size_t slash = mPath.rfind('/');
  if (slash != std::string::npos) CFPlatform::makeFolders(mPath.substr(0, slash));
  if (mUnreadableFile) {
    // Never overwrite what could not be read: someone may still want it.
    std::string aside = mPath + ".unreadable";
    if (std::rename(mPath.c_str(), aside.c_str()) != 0 && errno != ENOENT) return false;
    mUnreadableFile = false;
  }
  CFErrorRef error = nullptr;
  CFDataRef data = CFPropertyListCreateData(nullptr, mValues.get(), kCFPropertyListXMLFormat_v1_0, 0, &error);
  if (error) CFRelease(error);
  if (!data) return false;
  int failure = Foundation::writeFile(mPath.c_str(), CFDataGetBytePtr(data), size_t(CFDataGetLength(data)), true);
  CFRelease(data);
  if (failure) {
    NSLog(NSSTR("NSUserDefaults: cannot write %s: %s"), mPath.c_str(), std::strerror(failure));
    return false;
  }
  return true;
}

void NSUserDefaults::registerDefaults(NSDictionary* registrationDictionary) {
  if (!registrationDictionary) return;
  if (!CFPropertyListIsValid(registrationDictionary, kCFPropertyListXMLFormat_v1_0)) {
    NSException::raise_format(NSInvalidArgumentException,
                              NSSTR("-[NSUserDefaults registerDefaults:]: the defaults are not a property list"));
  }
  RefPtr<NSObject> copy = propertyListCopy(registrationDictionary);
  std::lock_guard<std::mutex> guard(mLock);
  mRegistered->addEntriesFromDictionary(static_cast<NSDictionary*>(copy.get()));
}

NSObject* NSUserDefaults::valueLocked(NSString* defaultName) {
  if (!defaultName) return nullptr;
  if (NSObject* value = mValues->objectForKey(defaultName)) return value;
  return mRegistered->objectForKey(defaultName);
}

NSObject* NSUserDefaults::objectForKey(NSString* defaultName) {
  std::lock_guard<std::mutex> guard(mLock);
  return autoreleasedRetained(valueLocked(defaultName));
}

void NSUserDefaults::setObject_forKey(NSObject* value, NSString* defaultName) {
  if (!defaultName) return;
  if (!value) {
    removeObjectForKey(defaultName);
    return;
  }
  if (!CFPropertyListIsValid(value, kCFPropertyListXMLFormat_v1_0)) {
    NSException::raise_format(NSInvalidArgumentException,
                              NSSTR("Attempt to insert non-property list object %@ for key %@"), value, defaultName);
  }
  RefPtr<NSObject> copy = propertyListCopy(value);
  RefPtr<NSString> key{NSString::stringWithString(defaultName)};
  std::lock_guard<std::mutex> guard(mLock);
  mValues->setObject_forKey(copy.get(), key.get());
  mDirty = true;
}

void NSUserDefaults::removeObjectForKey(NSString* defaultName) {
  if (!defaultName) return;
  std::lock_guard<std::mutex> guard(mLock);
  if (!mValues->objectForKey(defaultName)) return;
  mValues->removeObjectForKey(defaultName);
  mDirty = true;
}

NSString* NSUserDefaults::stringForKey(NSString* defaultName) {
  NSObject* value = objectForKey(defaultName);
  if (auto* string = NSDynamicCast<NSString>(value)) return string;
  // Numbers read as their text, as the platform does.
  if (auto* number = NSDynamicCast<NSNumber>(value)) return number->stringValue();
  return nullptr;
}

NSArray* NSUserDefaults::arrayForKey(NSString* defaultName) { return NSDynamicCast<NSArray>(objectForKey(defaultName)); }

NSDictionary* NSUserDefaults::dictionaryForKey(NSString* defaultName) {
  return NSDynamicCast<NSDictionary>(objectForKey(defaultName));
}

NSData* NSUserDefaults::dataForKey(NSString* defaultName) { return NSDynamicCast<NSData>(objectForKey(defaultName)); }

NSInteger NSUserDefaults::integerForKey(NSString* defaultName) {
  NSObject* value = objectForKey(defaultName);
  if (auto* number = NSDynamicCast<NSNumber>(value)) return number->longValue();
  if (auto* string = NSDynamicCast<NSString>(value)) return std::strtol(string->UTF8String(), nullptr, 10);
  return 0;
}

double NSUserDefaults::doubleForKey(NSString* defaultName) {
  NSObject* value = objectForKey(defaultName);
  if (auto* number = NSDynamicCast<NSNumber>(value)) return number->doubleValue();
  if (auto* string = NSDynamicCast<NSString>(value)) return std::strtod(string->UTF8String(), nullptr);
  return 0;
}

float NSUserDefaults::floatForKey(NSString* defaultName) { return float(doubleForKey(defaultName)); }

bool NSUserDefaults::boolForKey(NSString* defaultName) {
  NSObject* value = objectForKey(defaultName);
  if (auto* number = NSDynamicCast<NSNumber>(value)) return number->boolValue();
  if (auto* string = NSDynamicCast<NSString>(value)) {
    return string->caseInsensitiveCompare(NSSTR("YES")) == NSOrderedSame ||
           string->caseInsensitiveCompare(NSSTR("true")) == NSOrderedSame || std::atol(string->UTF8String()) != 0;
  }
  return false;
}

void NSUserDefaults::setInteger_forKey(NSInteger value, NSString* defaultName) {
  setObject_forKey(NSNumber::numberWithInteger(value), defaultName);
}

void NSUserDefaults::setFloat_forKey(float value, NSString* defaultName) {
  setObject_forKey(NSNumber::numberWithFloat(value), defaultName);
}

void NSUserDefaults::setDouble_forKey(double value, NSString* defaultName) {
  setObject_forKey(NSNumber::numberWithDouble(value), defaultName);
}

void NSUserDefaults::setBool_forKey(bool value, NSString* defaultName) {
  setObject_forKey(NSNumber::numberWithBool(value), defaultName);
}

NSDictionary* NSUserDefaults::dictionaryRepresentation() {
  std::lock_guard<std::mutex> guard(mLock);
  NSMutableDictionary* all = NSMutableDictionary::dictionaryWithDictionary(mRegistered.get());
  all->addEntriesFromDictionary(mValues.get());
  return all;
}

bool NSUserDefaults::writeChanges() {
  std::lock_guard<std::mutex> guard(mLock);
  if (!mDirty) return true;
  if (!writeFileLocked()) return false;
  mDirty = false;
  return true;
}

bool NSUserDefaults::synchronize() {
  std::lock_guard<std::mutex> guard(mLock);
  if (!mDirty) {
    readFileLocked();
    return true;
  }
  if (!writeFileLocked()) return false;
  mDirty = false;
  return true;
}
