#pragma once
// What the code signature of the process that loaded the digitizer allows it: read once when
// the module loads. A host that is unsigned, not sandboxed, or runs on a system older than
// 10.7 may do everything.
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

class UCodeEntitlements {
 public:
  // The magic of an entitlements blob in a code signature.
  static constexpr uint32_t kEntitlementsBlobMagic = 0xFADE7171;

  // Reads the running code's signature.
  UCodeEntitlements();
  // Reads nothing: every access question answers true until told otherwise.
  struct Unread {};
  explicit UCodeEntitlements(Unread) {}
  virtual ~UCodeEntitlements() = default;

  // Reads the running code's signature; true when it holds entitlements.
  bool Construct();
  // The entitlements dictionary of a blob: 8 bytes of magic and total length (both
  // big-endian, the length equal to the data's) and an XML property list that is a
  // dictionary. Null for anything else; nothing past the data is read.
  static RefPtr<const __CFDictionary> CopyEntitlementsFromBlob(CFDataRef blob);

  // The entitlement's value (retained for the caller), or null.
  CFTypeRef CopyEntitlementKeyValue(CFStringRef key) const;
  bool HasEntitlementAndBooleanValueIsTrue(CFStringRef key) const;

  bool HasAccessToPrinting() const;
  bool HasAccessToNetworkServer() const;
  bool HasAccessToNetworkClient() const;
  bool HasAccessToCameraDevice() const;
  bool HasActiveSecurityBookmarksAppScope() const;
  bool HasAccessToAllEntitlements() const { return mAllAccess || mNoEntitlements; }
  bool HasActiveSecuritySandbox() const { return !mAllAccess && !mNoEntitlements; }

  // The signed bundle identifier (+1), or null.
  CFStringRef CopySignedBundleID() const;
  static bool IsSystemLionWithSandboxOrLater();
  void SetSignedBundleID(CFStringRef identifier);
  void SetCodeSignedEntitlementsCopy(CFDictionaryRef entitlements);

  // The module's one record, read when the module loads.
  static UCodeEntitlements sEntitlements;

 private:
  bool HasAccessTo(CFStringRef key) const {
    return HasAccessToAllEntitlements() || HasEntitlementAndBooleanValueIsTrue(key);
  }

  RefPtr<const __CFDictionary> mSigningInformation;
  RefPtr<const __CFDictionary> mRequirementInformation;
  RefPtr<const __CFDictionary> mEntitlements;
  RefPtr<const __CFString> mSignedBundleID;
  bool mHasBundleID = false;
  bool mAllAccess = true;
  bool mNoEntitlements = true;
};
