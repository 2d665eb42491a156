#include <gtest/gtest.h>

#include <CoreFoundation/CFString.h>

#include <string>
#include <vector>

#include "../../URequirements/tests/MessageCollector.h"
#include "MediaStatusNames.h"
#include "WithRequirements.h"

namespace {

std::string format(const RequiredStatusTable& table, SInt32 status) {
  char text[kRequiredStatusTextSize];
  return table.format(status, text, sizeof text);
}

}  // namespace

TEST(MediaStatusNames, TablesNameTheirStatusesAndNothingElse) {
  struct Row {
    const RequiredStatusTable* table;
    SInt32 status;
    const char* text;
  };
  for (const Row& row : std::vector<Row>{
           {&kRequiredCoreMediaIOStatusNames, FOUR_CHAR_CODE("stop"), "kCMIOHardwareNotRunningError (1937010544)"},
           {&kRequiredCoreMediaIOStatusNames, FOUR_CHAR_CODE("who?"), "kCMIOHardwareUnknownPropertyError (2003332927)"},
           {&kRequiredCoreMediaIOStatusNames, FOUR_CHAR_CODE("!hog"), "kCMIODevicePermissionsError (560492391)"},
           {&kRequiredCoreMediaStatusNames, -12710, "kCMFormatDescriptionError_InvalidParameter (-12710)"},
           {&kRequiredCoreMediaStatusNames, -12712, "statusValue=-12712"},
           {&kRequiredKernelReturnNames, 0, "KERN_SUCCESS (0)"},
           {&kRequiredKernelReturnNames, 52, "KERN_INSUFFICIENT_BUFFER_SIZE (52)"},
           {&kRequiredKernelReturnNames, 53, "statusValue=53"},
           {&kRequiredKernelReturnNames, -1, "statusValue=-1"},
           {&kRequiredIOKitReturnNames, SInt32(0xE00002BC), "kIOReturnError (-536870212)"},
           {&kRequiredIOKitReturnNames, SInt32(0xE00002F0), "kIOReturnNotFound (-536870160)"},
           {&kRequiredIOKitReturnNames, SInt32(0xE00002CB), "statusValue=-536870197"},
           {&kRequiredIOKitReturnNames, SInt32(0xE00002DC), "statusValue=-536870180"},
           {&kRequiredSocketErrorNames, -2, "kCFSocketTimeout (-2)"},
           {&kRequiredSocketErrorNames, 7, "statusValue=7"}}) {
    EXPECT_EQ(format(*row.table, row.status), row.text);
  }
  EXPECT_EQ(kRequiredCoreMediaIOStatusNames.count, 14u);
  EXPECT_EQ(kRequiredKernelReturnNames.count, 53u);
  EXPECT_EQ(kRequiredIOKitReturnNames.count, 53u);
}

TEST(MediaStatusNames, SecurityCodesCarryTheirDescriptions) {
  char text[kRequiredStatusTextSize];
  EXPECT_STREQ(kRequiredSecurityStatusNames.format(-50, text, sizeof text),
               "errSecParam (-50) One or more parameters passed to a function were not valid.");
  EXPECT_STREQ(kRequiredSecurityStatusNames.format(-67898, text, sizeof text),
               "errSecTimestampRevocationNotification (-67898) ");
  EXPECT_STREQ(kRequiredSecurityStatusNames.format(-25320, text, sizeof text),
               "errSecInDarkWake (-25320) In dark wake, no UI possible");
  EXPECT_STREQ(kRequiredSecurityStatusNames.format(-67899, text, sizeof text), "statusValue=-67899");
  EXPECT_EQ(kRequiredSecurityStatusNames.count, 365u);
  // Every value of the published ranges has a name.
  for (SInt32 status = -67585; status >= -67898; --status) ASSERT_NE(kRequiredSecurityStatusNames.find(status), nullptr);
}

TEST(MediaReporters, StatusReportersPostTheirLineAndTheGeneralStatusLine) {
  MessageCollector console;
  EXPECT_FALSE(REQUIRED_CMIOSTATUS(OSStatus(FOUR_CHAR_CODE("stop"))));
  std::vector<std::string> lines = console.drain();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("REQUIRED_CMIOSTATUS 1937010544:kCMIOHardwareNotRunningError (1937010544) - SRC>>", 0), 0u)
      << lines[0];
  EXPECT_EQ(lines[1].rfind("REQUIRED_OSSTATUS(1937010544)", 0), 0u) << lines[1];

  EXPECT_TRUE(REQUIRED_SECSTATUS(0));
  EXPECT_FALSE(REQUIRED_SECSTATUS(-50));
  lines = console.drain();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("REQUIRED_SECSTATUS -50:errSecParam (-50) One or more parameters"), std::string::npos);

  EXPECT_FALSE(REQUIRED_KERNRETURN(53));
  EXPECT_FALSE(REQUIRED_CFSOCKETERROR(-2));
  lines = console.drain();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("REQUIRED_KERNRETURN FAILED: statusValue=53", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("CFSocketError=-2:kCFSocketTimeout (-2)", 0), 0u) << lines[1];
}

TEST(MediaReporters, ObjectReporters) {
  MessageCollector console;
  const void* block = nullptr;
  EXPECT_FALSE(REQUIRED_BLOCK_PTR(block));
  EXPECT_FALSE(VERIFY_ID(static_cast<const NSObject*>(nullptr)));
  __NSRequiredDelegateSelectorBody("REQUIRED_DELEGATE", nullptr, "frameDidArrive:", "file.cpp", "function", 3, "code");
  std::vector<std::string> lines = console.drain();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("REQUIRED_BLOCK_PTR REQUIRED_BLOCK_PTR 0x00000000==NULL", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("VERIFY_ID (nil)==nil", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("REQUIRED_DELEGATE (nil).delegate=nil has no @selector(frameDidArrive:)", 0), 0u) << lines[2];

  LOG_CMTIME("frame", CMTimeMake(100, 3000));
  lines = console.drain();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("' frame {MediaReporters_test.cpp:"), std::string::npos) << lines[0];
}

TEST(MediaReporters, TrustResultNames) {
  EXPECT_STREQ(CopySecTrustResultTypeString(0), "kSecTrustResultInvalid");
  EXPECT_STREQ(CopySecTrustResultTypeString(7), "kSecTrustResultOtherError");
  EXPECT_STREQ(CopySecTrustResultTypeString(8), "(unknown)");
  EXPECT_STREQ(CopySecTrustResultTypeString(0xFFFFFFFF), "(unknown)");
}
