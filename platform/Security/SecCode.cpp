#include <CoreFoundation/CFURL.h>
#include <Security/SecCode.h>
#include <objc/NSObject.h>
#include <objc/RefPtr.h>
#include <objc/runtime.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "backend/CodeSignature.h"

const CFStringRef kSecCodeInfoIdentifier = CFSTR("identifier");
const CFStringRef kSecCodeInfoEntitlements = CFSTR("entitlements");
const CFStringRef kSecCodeInfoMainExecutable = CFSTR("main-executable");

// The running program's code: its file and its signature, taken when the object is made.
struct __SecCode : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("SecCode");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  std::string executable;
  CodeSignature::Signature signature;
};

namespace {

const __SecCode* codeOf(SecStaticCodeRef code) {
  return code && CFGetTypeID(code) == __SecCode::typeID() ? code : nullptr;
}

}  // namespace

CFTypeID SecCodeGetTypeID(void) { return __SecCode::typeID(); }

OSStatus SecCodeCopySelf(SecCSFlags flags, SecCodeRef* self) {
  if (!self) return errSecCSInvalidObjectRef;
  *self = nullptr;
  if (flags != kSecCSDefaultFlags) return errSecCSInvalidFlags;
  auto* code = new __SecCode();
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length > 0) code->executable.assign(path, size_t(length));
  code->signature = CodeSignature::ofRunningProgram();
  *self = code;
  return noErr;
}

OSStatus SecCodeCopyStaticCode(SecCodeRef code, SecCSFlags flags, SecStaticCodeRef* staticCode) {
  if (!staticCode) return errSecCSInvalidObjectRef;
  *staticCode = nullptr;
  if (!codeOf(code)) return errSecCSInvalidObjectRef;
  if (flags != kSecCSDefaultFlags) return errSecCSInvalidFlags;
  // The program's file is what runs: the same object stands for both.
  *staticCode = static_cast<SecStaticCodeRef>(CFRetain(code));
  return noErr;
}

OSStatus SecCodeCopySigningInformation(SecStaticCodeRef code, SecCSFlags flags,
                                       CFDictionaryRef* information) {
  if (!information) return errSecCSInvalidObjectRef;
  *information = nullptr;
  const __SecCode* self = codeOf(code);
  if (!self) return errSecCSInvalidObjectRef;
  constexpr SecCSFlags kKnown = kSecCSInternalInformation | kSecCSSigningInformation |
                                kSecCSRequirementInformation | kSecCSDynamicInformation |
                                kSecCSContentInformation;
  if (flags & ~kKnown) return errSecCSInvalidFlags;
  CFMutableDictionaryRef info =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!self->executable.empty()) {
    RefPtr<const __CFURL> url = adopt(CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8*>(self->executable.data()), CFIndex(self->executable.size()),
        false));
    if (url) CFDictionarySetValue(info, kSecCodeInfoMainExecutable, url.get());
  }
  if ((flags & kSecCSSigningInformation) && self->signature.identifier)
    CFDictionarySetValue(info, kSecCodeInfoIdentifier, self->signature.identifier.get());
  if ((flags & kSecCSRequirementInformation) && self->signature.entitlements)
    CFDictionarySetValue(info, kSecCodeInfoEntitlements, self->signature.entitlements.get());
  *information = info;
  return noErr;
}
