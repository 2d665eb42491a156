#include <Foundation/NSDate.h>
#include <Foundation/NSString.h>
#include <gtest/gtest.h>

namespace {

TEST(NSDate, CountsFromTheReferenceDate) {
  objc::AutoreleasePool pool;
  NSDate* reference = NSDate::dateWithTimeIntervalSinceReferenceDate(0);
  EXPECT_STREQ(reference->description()->UTF8String(), "2001-01-01 00:00:00 +0000");
  EXPECT_DOUBLE_EQ(reference->timeIntervalSince1970(), 978307200.0);
  NSDate* epoch = NSDate::dateWithTimeIntervalSince1970(0.5);
  EXPECT_STREQ(epoch->description()->UTF8String(), "1970-01-01 00:00:00 +0000");
  EXPECT_DOUBLE_EQ(reference->timeIntervalSinceDate(epoch), 978307199.5);
  EXPECT_EQ(epoch->compare(reference), NSOrderedAscending);
  EXPECT_EQ(reference->earlierDate(epoch), epoch);
  EXPECT_EQ(reference->laterDate(epoch), reference);
  EXPECT_TRUE(reference->dateByAddingTimeInterval(60)->isEqualToDate(
      NSDate::dateWithTimeIntervalSinceReferenceDate(60)));
  EXPECT_EQ(NSDate::distantFuture()->compare(NSDate::date()), NSOrderedDescending);
  EXPECT_EQ(NSDate::distantPast()->compare(NSDate::date()), NSOrderedAscending);
  EXPECT_GT(NSDate::dateWithTimeIntervalSinceNow(30)->timeIntervalSinceNow(), 0.0);
}

}  // namespace
