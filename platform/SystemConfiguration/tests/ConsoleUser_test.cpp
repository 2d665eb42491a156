#include <CoreFoundation/CFString.h>
#include <SystemConfiguration/SystemConfiguration.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <fstream>

TEST(ConsoleUser, IsTheSeatsUserOrOurOwn) {
  uid_t uid = 12345;
  gid_t gid = 12345;
  CFStringRef name = SCDynamicStoreCopyConsoleUser(nullptr, &uid, &gid);
  if (std::ifstream("/run/systemd/seats/seat0")) {
    // A machine with a seat: whoever is active there, if anyone.
    if (!name) return;
  }
  ASSERT_NE(name, nullptr);
  passwd* entry = getpwuid(uid);
  ASSERT_NE(entry, nullptr);
  char buffer[256] = {};
  CFStringGetCString(name, buffer, sizeof buffer, kCFStringEncodingUTF8);
  EXPECT_STREQ(buffer, entry->pw_name);
  EXPECT_EQ(gid, entry->pw_gid);
  if (!std::ifstream("/run/systemd/seats/seat0")) {
    EXPECT_EQ(uid, getuid());
  }
  CFRelease(name);
}
