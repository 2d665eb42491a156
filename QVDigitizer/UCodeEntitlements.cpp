#include "UCodeEntitlements.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreSystem.h>
#include <Security/SecCode.h>

namespace {

constexpr CoreSystemName kLion = 0x1070;

uint32_t BigEndian32(const UInt8* bytes) {
  return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

RefPtr<const __CFDictionary> CopySigningInformation(SecCodeRef code, SecCSFlags flags) {
  CFDictionaryRef information = nullptr;
  if (SecCodeCopySigningInformation(code, flags, &information) != noErr) return nullptr;
  return adopt(information);
}

}  // namespace

UCodeEntitlements::UCodeEntitlements() { Construct(); }

RefPtr<const __CFDictionary> UCodeEntitlements::CopyEntitlementsFromBlob(CFDataRef blob) {
  constexpr CFIndex kHeaderSize = 8;
  if (!blob || CFGetTypeID(blob) != CFDataGetTypeID()) return nullptr;
  const CFIndex length = CFDataGetLength(blob);
  if (length <= kHeaderSize) return nullptr;
  const UInt8* bytes = CFDataGetBytePtr(blob);
  if (BigEndian32(bytes) != kEntitlementsBlobMagic || BigEndian32(bytes + 4) != uint32_t(length))
    return nullptr;
  RefPtr<const __CFData> text = adopt(CFDataCreate(nullptr, bytes + kHeaderSize, length - kHeaderSize));
  RefPtr<const NSObject> plist = adopt(static_cast<const NSObject*>(
      CFPropertyListCreateWithData(nullptr, text.get(), kCFPropertyListImmutable, nullptr, nullptr)));
  if (!plist || CFGetTypeID(plist.get()) != CFDictionaryGetTypeID()) return nullptr;
  return RefPtr<const __CFDictionary>(static_cast<CFDictionaryRef>(static_cast<const void*>(plist.get())));
}

bool UCodeEntitlements::Construct() {
  RefPtr<const __CFString> identifier;
  RefPtr<const __CFDictionary> entitlements;
  SecCodeRef self = nullptr;
  if (SecCodeCopySelf(kSecCSDefaultFlags, &self) == noErr && self) {
    RefPtr<__SecCode> code = adopt(self);
    mSigningInformation = CopySigningInformation(code.get(), kSecCSSigningInformation);
    if (mSigningInformation) {
      CFTypeRef value = CFDictionaryGetValue(mSigningInformation.get(), kSecCodeInfoIdentifier);
      if (value && CFGetTypeID(value) == CFStringGetTypeID())
        identifier = RefPtr<const __CFString>(static_cast<CFStringRef>(value));
    }
    mRequirementInformation = CopySigningInformation(code.get(), kSecCSRequirementInformation);
    if (mRequirementInformation)
      entitlements = CopyEntitlementsFromBlob(static_cast<CFDataRef>(
          CFDictionaryGetValue(mRequirementInformation.get(), kSecCodeInfoEntitlements)));
  }
  if (identifier) SetSignedBundleID(identifier.get());
  SetCodeSignedEntitlementsCopy(entitlements.get());
  return bool(mEntitlements);
}

CFTypeRef UCodeEntitlements::CopyEntitlementKeyValue(CFStringRef key) const {
  if (!mEntitlements || !key) return nullptr;
  CFTypeRef value = CFDictionaryGetValue(mEntitlements.get(), key);
  return value ? CFRetain(value) : nullptr;
}

bool UCodeEntitlements::HasEntitlementAndBooleanValueIsTrue(CFStringRef key) const {
  CFTypeRef value = mEntitlements && key ? CFDictionaryGetValue(mEntitlements.get(), key) : nullptr;
  return value && CFGetTypeID(value) == CFBooleanGetTypeID() &&
         CFBooleanGetValue(static_cast<CFBooleanRef>(value));
}

bool UCodeEntitlements::HasAccessToPrinting() const { return HasAccessTo(CFSTR("com.apple.security.print")); }
bool UCodeEntitlements::HasAccessToNetworkServer() const {
  return HasAccessTo(CFSTR("com.apple.security.network.server"));
}
bool UCodeEntitlements::HasAccessToNetworkClient() const {
  return HasAccessTo(CFSTR("com.apple.security.network.client"));
}
bool UCodeEntitlements::HasAccessToCameraDevice() const {
  return HasAccessTo(CFSTR("com.apple.security.device.camera"));
}
bool UCodeEntitlements::HasActiveSecurityBookmarksAppScope() const {
  return HasAccessTo(CFSTR("com.apple.security.files.bookmarks.app-scope"));
}

CFStringRef UCodeEntitlements::CopySignedBundleID() const {
  return mSignedBundleID ? static_cast<CFStringRef>(CFRetain(mSignedBundleID.get())) : nullptr;
}

bool UCodeEntitlements::IsSystemLionWithSandboxOrLater() { return !CoreSystem::IsEarlierThanRevision(kLion); }

void UCodeEntitlements::SetSignedBundleID(CFStringRef identifier) {
  mSignedBundleID = RefPtr<const __CFString>(identifier);
  mHasBundleID = identifier != nullptr;
}

void UCodeEntitlements::SetCodeSignedEntitlementsCopy(CFDictionaryRef entitlements) {
  mEntitlements = RefPtr<const __CFDictionary>(entitlements);
  mNoEntitlements = !mEntitlements;
  mAllAccess = !IsSystemLionWithSandboxOrLater() ||
               !HasEntitlementAndBooleanValueIsTrue(CFSTR("com.apple.security.app-sandbox"));
}

UCodeEntitlements UCodeEntitlements::sEntitlements;
