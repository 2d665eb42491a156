#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFURL.h>
#include <Security/Security.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr const char* kSwitch = "MOXICAM_CODE_SIGNATURE";

// The signing information of the running program, as much of it as `flags` asks for.
RefPtr<const __CFDictionary> signingInformation(SecCSFlags flags) {
  SecCodeRef self = nullptr;
  EXPECT_EQ(SecCodeCopySelf(kSecCSDefaultFlags, &self), noErr);
  RefPtr<__SecCode> code = adopt(self);
  SecStaticCodeRef staticCode = nullptr;
  EXPECT_EQ(SecCodeCopyStaticCode(code.get(), kSecCSDefaultFlags, &staticCode), noErr);
  RefPtr<const __SecCode> held = adopt(staticCode);
  CFDictionaryRef info = nullptr;
  EXPECT_EQ(SecCodeCopySigningInformation(held.get(), flags, &info), noErr);
  return adopt(info);
}

class SecCodeTest : public ::testing::Test {
 protected:
  ~SecCodeTest() override { unsetenv(kSwitch); }
  // Points the switch at a file of this text.
  void sign(const std::string& text) {
    const std::string path = mRoot.root() + "/signature.plist";
    std::ofstream(path) << text;
    setenv(kSwitch, path.c_str(), 1);
  }
  moxicam::test::TemporaryRoot mRoot;
};

TEST_F(SecCodeTest, UnsignedProgramNamesItsFileOnly) {
  unsetenv(kSwitch);
  RefPtr<const __CFDictionary> info =
      signingInformation(kSecCSSigningInformation | kSecCSRequirementInformation);
  ASSERT_TRUE(info);
  EXPECT_EQ(CFDictionaryGetValue(info.get(), kSecCodeInfoIdentifier), nullptr);
  EXPECT_EQ(CFDictionaryGetValue(info.get(), kSecCodeInfoEntitlements), nullptr);
  auto url = static_cast<CFURLRef>(CFDictionaryGetValue(info.get(), kSecCodeInfoMainExecutable));
  ASSERT_TRUE(url);
  EXPECT_EQ(CFGetTypeID(url), CFURLGetTypeID());
}

TEST_F(SecCodeTest, SwitchSuppliesIdentifierAndEntitlementsByFlag) {
  sign(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>identifier</key><string>com.example.host</string>
<key>entitlements</key><data>+t5xcQAAAAs8Pz4=</data>
</dict></plist>)");
  struct Case {
    SecCSFlags flags;
    bool identifier, entitlements;
  };
  for (const Case& c : {Case{kSecCSDefaultFlags, false, false}, Case{kSecCSSigningInformation, true, false},
                        Case{kSecCSRequirementInformation, false, true},
                        Case{kSecCSSigningInformation | kSecCSRequirementInformation, true, true}}) {
    RefPtr<const __CFDictionary> info = signingInformation(c.flags);
    ASSERT_TRUE(info);
    auto identifier = static_cast<CFStringRef>(CFDictionaryGetValue(info.get(), kSecCodeInfoIdentifier));
    auto entitlements = static_cast<CFDataRef>(CFDictionaryGetValue(info.get(), kSecCodeInfoEntitlements));
    EXPECT_EQ(identifier != nullptr, c.identifier) << c.flags;
    EXPECT_EQ(entitlements != nullptr, c.entitlements) << c.flags;
    if (identifier) EXPECT_TRUE(CFEqual(identifier, CFSTR("com.example.host")));
    if (entitlements) {
      ASSERT_EQ(CFDataGetLength(entitlements), 11);
      EXPECT_EQ(CFDataGetBytePtr(entitlements)[0], 0xFA);
    }
  }
}

TEST_F(SecCodeTest, UnreadableSwitchCountsAsUnsigned) {
  for (const std::string& text :
       {std::string("not a property list"), std::string("<plist><array/></plist>"),
        std::string("<plist><dict><key>identifier</key><integer>1</integer></dict></plist>")}) {
    sign(text);
    RefPtr<const __CFDictionary> info =
        signingInformation(kSecCSSigningInformation | kSecCSRequirementInformation);
    ASSERT_TRUE(info) << text;
    EXPECT_EQ(CFDictionaryGetValue(info.get(), kSecCodeInfoIdentifier), nullptr) << text;
    EXPECT_EQ(CFDictionaryGetValue(info.get(), kSecCodeInfoEntitlements), nullptr) << text;
  }
  setenv(kSwitch, (mRoot.root() + "/missing.plist").c_str(), 1);
  EXPECT_EQ(CFDictionaryGetValue(signingInformation(kSecCSSigningInformation).get(), kSecCodeInfoIdentifier),
            nullptr);
}

TEST_F(SecCodeTest, BadArgumentsAreRefused) {
  SecCodeRef code = nullptr;
  EXPECT_EQ(SecCodeCopySelf(kSecCSDefaultFlags, nullptr), errSecCSInvalidObjectRef);
  EXPECT_EQ(SecCodeCopySelf(kSecCSSigningInformation, &code), errSecCSInvalidFlags);
  EXPECT_EQ(code, nullptr);
  CFDictionaryRef info = reinterpret_cast<CFDictionaryRef>(1);
  EXPECT_EQ(SecCodeCopySigningInformation(nullptr, kSecCSDefaultFlags, &info), errSecCSInvalidObjectRef);
  EXPECT_EQ(info, nullptr);
  // Another kind of object is no code.
  EXPECT_EQ(SecCodeCopySigningInformation(reinterpret_cast<SecStaticCodeRef>(CFSTR("x")), 0, &info),
            errSecCSInvalidObjectRef);
  ASSERT_EQ(SecCodeCopySelf(kSecCSDefaultFlags, &code), noErr);
  RefPtr<__SecCode> held = adopt(code);
  EXPECT_EQ(SecCodeCopySigningInformation(held.get(), 1u << 20, &info), errSecCSInvalidFlags);
}

}  // namespace
