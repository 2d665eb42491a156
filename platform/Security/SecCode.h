#pragma once
// Code Signing Services: the running code and what its signature says of it.
//
// This platform signs nothing, so every program runs as unsigned code: its signing
// information names no identifier and holds no entitlements. The environment variable
// MOXICAM_CODE_SIGNATURE may name an XML property list, a dictionary with "identifier" (a
// string) and "entitlements" (data: the entitlements blob as a signature embeds it), that is
// then taken as the signature of every program started with it, for tests.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <Security/Authorization.h>

typedef struct __SecCode* SecCodeRef;
typedef const struct __SecCode* SecStaticCodeRef;
typedef UInt32 SecCSFlags;

enum : SecCSFlags {
  kSecCSDefaultFlags = 0,
  kSecCSInternalInformation = 1 << 0,
  kSecCSSigningInformation = 1 << 1,
  kSecCSRequirementInformation = 1 << 2,
  kSecCSDynamicInformation = 1 << 3,
  kSecCSContentInformation = 1 << 4,
};

enum : OSStatus {
  errSecCSUnimplemented = -67072,
  errSecCSInvalidObjectRef = -67071,
  errSecCSInvalidFlags = -67070,
  errSecCSUnsigned = -67062,
};

// Keys of the signing information.
SECURITY_EXPORT const CFStringRef kSecCodeInfoIdentifier;      // CFString, when signed
SECURITY_EXPORT const CFStringRef kSecCodeInfoEntitlements;    // CFData, with requirement information
SECURITY_EXPORT const CFStringRef kSecCodeInfoMainExecutable;  // CFURL of the program file

SECURITY_EXPORT CFTypeID SecCodeGetTypeID(void);
// The code of the running process (*self, released with CFRelease).
SECURITY_EXPORT OSStatus SecCodeCopySelf(SecCSFlags flags, SecCodeRef* self);
// The code on disk that the running code was started from.
SECURITY_EXPORT OSStatus SecCodeCopyStaticCode(SecCodeRef code, SecCSFlags flags,
                                               SecStaticCodeRef* staticCode);
// A new dictionary (*information) of what the code's signature says, as far as the flags ask:
// the main executable always; the identifier with kSecCSSigningInformation; the entitlements
// with kSecCSRequirementInformation. Unsigned code answers noErr without either.
SECURITY_EXPORT OSStatus SecCodeCopySigningInformation(SecStaticCodeRef code, SecCSFlags flags,
                                                       CFDictionaryRef* information);
