#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFPlatformRoot.h>
#include <objc/RefPtr.h>

#include <string>

namespace {

TEST(StatusStrings, NameAndDescribeCommonStatuses) {
  struct Case {
    OSStatus status;
    const char* name;
    const char* comment;
  };
  const Case cases[] = {
      {0, "noErr", "No error"},         {-43, "fnfErr", "File not found"}, {-50, "paramErr", "Error in a parameter"},
      {-36, "ioErr", "I/O error"},      {-120, "dirNFErr", "Directory not found"},
      {-48, "dupFNErr", "Duplicate file name"},
      {-108, "memFullErr", "Not enough memory"},
      {-5551, "gestaltUndefSelectorErr", "Undefined selector passed to Gestalt"},
      {-60006, "errAuthorizationCanceled", "The user canceled the authorization"},
      {OSStatus(0x80008001), "badComponentInstance", "Component instance is not valid"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(GetMacOSStatusErrorString(c.status), c.name) << c.status;
    EXPECT_STREQ(GetMacOSStatusCommentString(c.status), c.comment) << c.status;
  }
}

TEST(StatusStrings, AnswerTheEmptyTextForUnknownStatuses) {
  for (OSStatus status : {1, -2, -42424, 2003332927}) {
    ASSERT_NE(GetMacOSStatusErrorString(status), nullptr);
    EXPECT_STREQ(GetMacOSStatusErrorString(status), "") << status;
    EXPECT_STREQ(GetMacOSStatusCommentString(status), "") << status;
  }
}

// The support library never links CoreServices: it makes a bundle of the framework in the
// system root and looks the functions up by name.
TEST(StatusStrings, AreFoundByNameInTheSystemFramework) {
  const std::string path = CFPlatform::systemPath("/System/Library/Frameworks/CoreServices.framework");
  RefPtr<const __CFURL> url = adopt(CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), CFIndex(path.size()), true));
  RefPtr<__CFBundle> framework = adopt(CFBundleCreate(nullptr, url.get()));
  ASSERT_TRUE(framework) << path;
  auto name = reinterpret_cast<const char* (*)(OSStatus)>(
      CFBundleGetFunctionPointerForName(framework.get(), CFSTR("GetMacOSStatusErrorString")));
  auto comment = reinterpret_cast<const char* (*)(OSStatus)>(
      CFBundleGetFunctionPointerForName(framework.get(), CFSTR("GetMacOSStatusCommentString")));
  ASSERT_NE(name, nullptr);
  ASSERT_NE(comment, nullptr);
  EXPECT_STREQ(name(-43), "fnfErr");
  EXPECT_STREQ(comment(-43), "File not found");
  CFBundleUnloadExecutable(framework.get());
}

class GestaltTest : public testing::Test {
 protected:
  void TearDown() override { unsetenv("MOXICAM_SYSTEM_VERSION"); }
  static SInt32 ask(OSType selector) {
    SInt32 response = -1;
    EXPECT_EQ(Gestalt(selector, &response), noErr);
    return response;
  }
};

TEST_F(GestaltTest, AnswersTheConfiguredVersion) {
  struct Case {
    const char* version;
    SInt32 packed, major, minor, bugFix;
  };
  const Case cases[] = {
      {"10.9.0", 0x1090, 10, 9, 0},   {"10.8.5", 0x1085, 10, 8, 5},   {"10.6", 0x1060, 10, 6, 0},
      {"10.9.12", 0x1099, 10, 9, 12}, {"10.10.0", 0x1099, 10, 10, 0}, {"10.15.7", 0x1099, 10, 15, 7},
      {"13.4.1", 0x1099, 13, 4, 1},
  };
  for (const Case& c : cases) {
    setenv("MOXICAM_SYSTEM_VERSION", c.version, 1);
    EXPECT_EQ(ask(gestaltSystemVersion), c.packed) << c.version;
    EXPECT_EQ(ask(gestaltSystemVersionMajor), c.major) << c.version;
    EXPECT_EQ(ask(gestaltSystemVersionMinor), c.minor) << c.version;
    EXPECT_EQ(ask(gestaltSystemVersionBugFix), c.bugFix) << c.version;
  }
}

TEST_F(GestaltTest, FallsBackToTheDefaultForAnUnreadableVersion) {
  for (const char* bad : {"", "ten", "10", "10.9.0.1", "10.x.0", "-1.2.3"}) {
    setenv("MOXICAM_SYSTEM_VERSION", bad, 1);
    EXPECT_EQ(ask(gestaltSystemVersionMajor), 10) << bad;
    EXPECT_EQ(ask(gestaltSystemVersionMinor), 15) << bad;
    EXPECT_EQ(ask(gestaltSystemVersionBugFix), 7) << bad;
  }
}

TEST_F(GestaltTest, RefusesUnknownSelectorsAndMissingAnswers) {
  SInt32 response = 123;
  EXPECT_EQ(Gestalt(FOUR_CHAR_CODE("zzzz"), &response), gestaltUndefSelectorErr);
  EXPECT_EQ(response, 123);
  EXPECT_EQ(Gestalt(gestaltSystemVersion, nullptr), -50);
}

}  // namespace
