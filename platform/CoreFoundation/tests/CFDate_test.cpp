#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFString.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>
#include <time.h>

TEST(CFDate, AbsoluteTimeCountsFrom2001) {
  timespec before{}, after{};
  clock_gettime(CLOCK_REALTIME, &before);
  CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
  clock_gettime(CLOCK_REALTIME, &after);
  EXPECT_EQ(kCFAbsoluteTimeIntervalSince1970, 978307200.0);
  EXPECT_GE(now + kCFAbsoluteTimeIntervalSince1970, double(before.tv_sec));
  EXPECT_LE(now + kCFAbsoluteTimeIntervalSince1970, double(after.tv_sec) + 1.0);
}

TEST(CFDate, HoldsComparesAndEqualsItsTime) {
  auto early = adopt(CFDateCreate(nullptr, -1.5));
  auto late = adopt(CFDateCreate(kCFAllocatorDefault, 3600.25));
  auto lateAgain = adopt(CFDateCreate(nullptr, 3600.25));
  EXPECT_EQ(CFGetTypeID(early.get()), CFDateGetTypeID());
  EXPECT_EQ(CFDateGetAbsoluteTime(early.get()), -1.5);
  EXPECT_EQ(CFDateGetAbsoluteTime(late.get()), 3600.25);

  struct Case {
    CFDateRef a, b;
    CFComparisonResult expected;
  } cases[] = {
      {early.get(), late.get(), kCFCompareLessThan},
      {late.get(), early.get(), kCFCompareGreaterThan},
      {late.get(), lateAgain.get(), kCFCompareEqualTo},
  };
  for (const Case& c : cases) EXPECT_EQ(CFDateCompare(c.a, c.b, nullptr), c.expected);

  EXPECT_TRUE(CFEqual(late.get(), lateAgain.get()));
  EXPECT_EQ(CFHash(late.get()), CFHash(lateAgain.get()));
  EXPECT_FALSE(CFEqual(late.get(), early.get()));
  auto description = adopt(CFCopyDescription(late.get()));
  char text[128] = "";
  CFStringGetCString(description.get(), text, sizeof text, kCFStringEncodingUTF8);
  EXPECT_NE(std::string(text).find("3600.25"), std::string::npos) << text;
  auto typeName = adopt(CFCopyTypeIDDescription(CFDateGetTypeID()));
  CFStringGetCString(typeName.get(), text, sizeof text, kCFStringEncodingUTF8);
  EXPECT_STREQ(text, "CFDate");
}
