#include <gtest/gtest.h>
#include <mach/mach_time.h>
#include <mach/mach_time_source.h>
#include <time.h>

TEST(MachTime, TimebaseIsNanoseconds) {
  mach_timebase_info_data_t info{0, 0};
  ASSERT_EQ(mach_timebase_info(&info), KERN_SUCCESS);
  EXPECT_EQ(info.numer, 1u);
  EXPECT_EQ(info.denom, 1u);
  EXPECT_EQ(mach_timebase_info(nullptr), KERN_INVALID_ARGUMENT);
}

TEST(MachTime, ReadsTheMonotonicClockInNanoseconds) {
  // Bracket a host time between two readings of the monotonic clock: the same clock and unit.
  timespec before{}, after{};
  clock_gettime(CLOCK_MONOTONIC, &before);
  uint64_t host = mach_absolute_time();
  clock_gettime(CLOCK_MONOTONIC, &after);
  uint64_t low = uint64_t(before.tv_sec) * 1000000000ull + uint64_t(before.tv_nsec);
  uint64_t high = uint64_t(after.tv_sec) * 1000000000ull + uint64_t(after.tv_nsec);
  EXPECT_LE(low, host);
  EXPECT_LE(host, high);
}

TEST(MachTime, NeverGoesBackwards) {
  uint64_t previous = mach_absolute_time();
  for (int i = 0; i < 10000; ++i) {
    uint64_t now = mach_absolute_time();
    ASSERT_GE(now, previous);
    previous = now;
  }
}

static uint64_t fixedTime() { return 42; }

TEST(MachTime, FollowsAnInstalledSourceUntilItIsRemoved) {
  EXPECT_EQ(_mach_absolute_time_set_source(fixedTime), nullptr);
  EXPECT_EQ(mach_absolute_time(), 42u);
  EXPECT_EQ(_mach_absolute_time_set_source(nullptr), &fixedTime);
  EXPECT_GT(mach_absolute_time(), 42u);
}
