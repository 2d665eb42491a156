#include "UCodeEntitlements.h"

#include <CoreFoundation/CFNumber.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kSandboxedWithoutNetwork = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>com.apple.security.app-sandbox</key><true/>
<key>com.apple.security.device.camera</key><true/>
<key>com.apple.security.network.client</key><string>yes</string>
</dict></plist>)";

// A blob as a signature embeds it: magic and total length, big-endian, then the text.
std::vector<uint8_t> blobOf(const std::string& text, uint32_t magic = 0xFADE7171, int lengthError = 0) {
  const uint32_t length = uint32_t(8 + text.size() + lengthError);
  std::vector<uint8_t> blob = {uint8_t(magic >> 24), uint8_t(magic >> 16),  uint8_t(magic >> 8),
                               uint8_t(magic),       uint8_t(length >> 24), uint8_t(length >> 16),
                               uint8_t(length >> 8), uint8_t(length)};
  blob.insert(blob.end(), text.begin(), text.end());
  return blob;
}

RefPtr<const __CFDictionary> parse(const std::vector<uint8_t>& bytes) {
  // The data lies in memory of exactly its size, so that a read past it shows under the
  // address sanitizer.
  RefPtr<const __CFData> data = adopt(CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size())));
  return UCodeEntitlements::CopyEntitlementsFromBlob(data.get());
}

TEST(UCodeEntitlements, BlobsParseOnlyWhenWholeAndRight) {
  EXPECT_TRUE(parse(blobOf(kSandboxedWithoutNetwork)));
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> truncated = blobOf(kSandboxedWithoutNetwork);
  truncated.resize(truncated.size() - 10);
  const std::vector<Case> refused = {
      {"length one more than the data", blobOf(kSandboxedWithoutNetwork, 0xFADE7171, 1)},
      {"length one less than the data", blobOf(kSandboxedWithoutNetwork, 0xFADE7171, -1)},
      {"truncated", truncated},
      {"wrong magic", blobOf(kSandboxedWithoutNetwork, 0xFADE0C01)},
      {"not a property list", blobOf("<<< not xml")},
      {"a property list that is no dictionary", blobOf("<plist><array><true/></array></plist>")},
      {"header only", blobOf("")},
      {"short", {0xFA, 0xDE, 0x71}},
      {"empty", {}},
  };
  for (const Case& c : refused) EXPECT_FALSE(parse(c.bytes)) << c.what;
  EXPECT_FALSE(UCodeEntitlements::CopyEntitlementsFromBlob(nullptr));
  EXPECT_FALSE(UCodeEntitlements::CopyEntitlementsFromBlob(reinterpret_cast<CFDataRef>(CFSTR("text"))));
}

TEST(UCodeEntitlements, ASandboxAnswersByItsBooleanEntitlements) {
  UCodeEntitlements entitlements{UCodeEntitlements::Unread{}};
  EXPECT_TRUE(entitlements.HasAccessToNetworkClient());
  EXPECT_TRUE(entitlements.HasAccessToAllEntitlements());
  entitlements.SetCodeSignedEntitlementsCopy(parse(blobOf(kSandboxedWithoutNetwork)).get());
  EXPECT_TRUE(entitlements.HasActiveSecuritySandbox());
  EXPECT_FALSE(entitlements.HasAccessToAllEntitlements());
  EXPECT_TRUE(entitlements.HasAccessToCameraDevice());
  EXPECT_FALSE(entitlements.HasAccessToNetworkClient()) << "a string is no boolean";
  EXPECT_FALSE(entitlements.HasAccessToNetworkServer());
  EXPECT_FALSE(entitlements.HasAccessToPrinting());
  EXPECT_FALSE(entitlements.HasActiveSecurityBookmarksAppScope());
  RefPtr<const NSObject> value = adopt(static_cast<const NSObject*>(
      entitlements.CopyEntitlementKeyValue(CFSTR("com.apple.security.network.client"))));
  ASSERT_TRUE(value);
  EXPECT_EQ(CFGetTypeID(value.get()), CFStringGetTypeID());

  // Entitlements without the sandbox: everything is allowed.
  entitlements.SetCodeSignedEntitlementsCopy(
      parse(blobOf("<plist><dict><key>x</key><true/></dict></plist>")).get());
  EXPECT_TRUE(entitlements.HasAccessToNetworkClient());
  EXPECT_FALSE(entitlements.HasActiveSecuritySandbox());
}

TEST(UCodeEntitlements, ReadsTheSignatureOfTheRunningProgram) {
  moxicam::test::TemporaryRoot root;
  const std::vector<uint8_t> blob = blobOf(kSandboxedWithoutNetwork);
  static const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  for (size_t i = 0; i < blob.size(); i += 3) {
    const uint32_t n = uint32_t(blob[i]) << 16 | (i + 1 < blob.size() ? uint32_t(blob[i + 1]) << 8 : 0) |
                       (i + 2 < blob.size() ? blob[i + 2] : 0);
    encoded += kBase64[(n >> 18) & 63];
    encoded += kBase64[(n >> 12) & 63];
    encoded += i + 1 < blob.size() ? kBase64[(n >> 6) & 63] : '=';
    encoded += i + 2 < blob.size() ? kBase64[n & 63] : '=';
  }
  const std::string path = root.root() + "/signature.plist";
  std::ofstream(path) << "<plist><dict><key>identifier</key><string>com.example.host</string>"
                      << "<key>entitlements</key><data>" << encoded << "</data></dict></plist>";
  setenv("MOXICAM_CODE_SIGNATURE", path.c_str(), 1);
  UCodeEntitlements signedHost;
  unsetenv("MOXICAM_CODE_SIGNATURE");
  EXPECT_TRUE(signedHost.HasActiveSecuritySandbox());
  EXPECT_FALSE(signedHost.HasAccessToNetworkClient());
  RefPtr<const __CFString> identifier = adopt(signedHost.CopySignedBundleID());
  ASSERT_TRUE(identifier);
  EXPECT_TRUE(CFEqual(identifier.get(), CFSTR("com.example.host")));

  UCodeEntitlements unsignedHost;
  EXPECT_FALSE(unsignedHost.HasActiveSecuritySandbox());
  EXPECT_TRUE(unsignedHost.HasAccessToNetworkClient());
  EXPECT_EQ(unsignedHost.CopySignedBundleID(), nullptr);
}

}  // namespace
