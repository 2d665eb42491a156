#include <CoreFoundation/CFError.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <CoreFoundation/CFString.h>
#include "backend/CFStringObject.h"
#include <Foundation/NSError.h>

#include "backend/CFCollectionCallBacks.h"

const CFStringRef kCFErrorDomainPOSIX = CFSTR("NSPOSIXErrorDomain");
const CFStringRef kCFErrorDomainOSStatus = CFSTR("NSOSStatusErrorDomain");
const CFStringRef kCFErrorDomainMach = CFSTR("NSMachErrorDomain");
const CFStringRef kCFErrorDomainCocoa = CFSTR("NSCocoaErrorDomain");

const CFStringRef kCFErrorLocalizedDescriptionKey = CFSTR("NSLocalizedDescription");
const CFStringRef kCFErrorLocalizedFailureReasonKey = CFSTR("NSLocalizedFailureReason");
const CFStringRef kCFErrorLocalizedRecoverySuggestionKey = CFSTR("NSLocalizedRecoverySuggestion");
const CFStringRef kCFErrorDescriptionKey = CFSTR("NSDescription");
const CFStringRef kCFErrorUnderlyingErrorKey = CFSTR("NSUnderlyingError");
const CFStringRef kCFErrorURLKey = CFSTR("NSURL");
const CFStringRef kCFErrorFilePathKey = CFSTR("NSFilePath");

namespace {

// The sentence that opens every description the error makes up itself (with a typographic
// apostrophe, as the platform writes it).
constexpr const char* kCouldNotComplete = "The operation couldn\u2019t be completed.";

}  // namespace

struct __CFError : NSError {
  __CFError(CFStringRef domain, CFIndex code, CFDictionaryRef userInfo)
      : mDomain(CFStringCreateCopy(nullptr, domain)),
        mCode(code),
        mUserInfo(userInfo ? CFDictionaryCreateCopy(nullptr, userInfo)
                           : CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                &kCFTypeDictionaryValueCallBacks)) {}
  ~__CFError() override {
    CFRelease(mDomain);
    CFRelease(mUserInfo);
  }

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFError");
    return id;
  }
  static const char* typeName() { return "CFError"; }

  // A string of the user information, or what the error's domain knows for that key (the
  // POSIX domain describes its codes with strerror); +1, or null.
  CFStringRef copyString(CFStringRef key) const {
    CFTypeRef value = CFDictionaryGetValue(mUserInfo, key);
    if (value && CFGetTypeID(value) == CFStringGetTypeID()) return static_cast<CFStringRef>(CFRetain(value));
    bool posixText = CFEqual(key, kCFErrorDescriptionKey) || CFEqual(key, kCFErrorLocalizedFailureReasonKey);
    if (posixText && CFEqual(mDomain, kCFErrorDomainPOSIX) && mCode > 0 && mCode < 4096) {
      char buffer[256];
      const char* text = strerror_r(static_cast<int>(mCode), buffer, sizeof buffer);
      if (text && *text) return CFCollection::createString(text);
    }
    return nullptr;
  }

  CFStringRef copyLocalizedDescription() const {
    if (CFStringRef description = copyString(kCFErrorLocalizedDescriptionKey)) return description;
    std::string domain = CFStringText::utf8(mDomain);
    std::string text = kCouldNotComplete;
    if (CFStringRef reason = copyString(kCFErrorLocalizedFailureReasonKey)) {
      text += " " + CFStringText::utf8(reason);
      CFRelease(reason);
    } else if (CFStringRef description = copyString(kCFErrorDescriptionKey)) {
      text += " (" + domain + " error " + std::to_string(mCode) + " - " + CFStringText::utf8(description) + ")";
      CFRelease(description);
    } else {
      text += " (" + domain + " error " + std::to_string(mCode) + ".)";
    }
    return CFCollection::createString(text);
  }

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    if (!other || other->cfTypeID() != typeID()) return false;
    auto* error = static_cast<const __CFError*>(other);
    return error->mCode == mCode && CFEqual(error->mDomain, mDomain) && CFEqual(error->mUserInfo, mUserInfo);
  }
  unsigned long hash() const override { return static_cast<unsigned long>(mCode) ^ CFHash(mDomain); }
  const __CFString* copyDescription() const override {
    CFStringRef localized = copyLocalizedDescription();
    std::string text = "Error Domain=" + CFStringText::utf8(mDomain) + " Code=" + std::to_string(mCode) + " \"" +
                       CFStringText::utf8(localized) + "\"";
    CFRelease(localized);
    CFIndex count = CFDictionaryGetCount(mUserInfo);
    if (count > 0) {
      std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
      CFDictionaryGetKeysAndValues(mUserInfo, keys.data(), values.data());
      text += " UserInfo={";
      for (size_t i = 0; i < keys.size(); ++i) {
        if (i) text += ", ";
        text += CFCollection::describeObject(keys[i]) + "=" + CFCollection::describeObject(values[i]);
      }
      text += "}";
    }
    return CFCollection::createString(text);
  }

  const CFStringRef mDomain;
  const CFIndex mCode;
  const CFDictionaryRef mUserInfo;
};

CFTypeID CFErrorGetTypeID(void) { return __CFError::typeID(); }

CFErrorRef CFErrorCreate(CFAllocatorRef, CFStringRef domain, CFIndex code, CFDictionaryRef userInfo) {
  if (!domain || CFGetTypeID(domain) != CFStringGetTypeID()) {
    CFCollection::report("CFErrorCreate", "the domain %p is not a string", static_cast<const void*>(domain));
    return nullptr;
  }
  if (userInfo && CFGetTypeID(userInfo) != CFDictionaryGetTypeID()) {
    CFCollection::report("CFErrorCreate", "the user information %p is not a dictionary",
                         static_cast<const void*>(userInfo));
    return nullptr;
  }
  return new __CFError(domain, code, userInfo);
}

CFErrorRef CFErrorCreateWithUserInfoKeysAndValues(CFAllocatorRef allocator, CFStringRef domain, CFIndex code,
                                                  const void* const* userInfoKeys, const void* const* userInfoValues,
                                                  CFIndex numUserInfoValues) {
  CFDictionaryRef userInfo =
      CFDictionaryCreate(nullptr, const_cast<const void**>(userInfoKeys), const_cast<const void**>(userInfoValues),
                         numUserInfoValues, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!userInfo) return nullptr;
  CFErrorRef error = CFErrorCreate(allocator, domain, code, userInfo);
  CFRelease(userInfo);
  return error;
}

CFStringRef CFErrorGetDomain(CFErrorRef err) {
  const __CFError* error = CFCollection::checked<__CFError>(err, "CFErrorGetDomain");
  return error ? error->mDomain : nullptr;
}

CFIndex CFErrorGetCode(CFErrorRef err) {
  const __CFError* error = CFCollection::checked<__CFError>(err, "CFErrorGetCode");
  return error ? error->mCode : 0;
}

CFDictionaryRef CFErrorCopyUserInfo(CFErrorRef err) {
  const __CFError* error = CFCollection::checked<__CFError>(err, "CFErrorCopyUserInfo");
  return error ? static_cast<CFDictionaryRef>(CFRetain(error->mUserInfo)) : nullptr;
}

CFStringRef CFErrorCopyDescription(CFErrorRef err) {
  const __CFError* error = CFCollection::checked<__CFError>(err, "CFErrorCopyDescription");
  return error ? error->copyLocalizedDescription() : nullptr;
}

CFStringRef CFErrorCopyFailureReason(CFErrorRef err) {
  const __CFError* error = CFCollection::checked<__CFError>(err, "CFErrorCopyFailureReason");
  return error ? error->copyString(kCFErrorLocalizedFailureReasonKey) : nullptr;
}

CFStringRef CFErrorCopyRecoverySuggestion(CFErrorRef err) {
  const __CFError* error = CFCollection::checked<__CFError>(err, "CFErrorCopyRecoverySuggestion");
  return error ? error->copyString(kCFErrorLocalizedRecoverySuggestionKey) : nullptr;
}
