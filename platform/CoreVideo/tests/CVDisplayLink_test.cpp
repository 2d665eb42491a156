#include <CoreVideo/CVDisplayLink.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "PollUntil.h"

namespace {

using moxicam::test::pollUntil;

struct Ticks {
  std::mutex mutex;
  std::vector<CVTimeStamp> now, output;
  std::atomic<int> count{0};

  static CVReturn record(CVDisplayLinkRef, const CVTimeStamp* inNow, const CVTimeStamp* inOutput,
                         CVOptionFlags, CVOptionFlags*, void* context) {
    auto* ticks = static_cast<Ticks*>(context);
    std::lock_guard<std::mutex> lock(ticks->mutex);
    ticks->now.push_back(*inNow);
    ticks->output.push_back(*inOutput);
    ++ticks->count;
    return kCVReturnSuccess;
  }
};

// Made and released per test; manual ticks are switched back off at the end.
class CVDisplayLinkTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CVDisplayLinkCreateWithActiveCGDisplays(&mLink), kCVReturnSuccess); }
  void TearDown() override {
    CVDisplayLinkRelease(mLink);
    _CVDisplayLinkSetManualTicks(false);
  }
  CVDisplayLinkRef mLink = nullptr;
};

TEST_F(CVDisplayLinkTest, TicksOnItsOwnThreadUntilStopped) {
  Ticks ticks;
  EXPECT_EQ(CVDisplayLinkStart(mLink), kCVReturnDisplayLinkCallbacksNotSet);
  ASSERT_EQ(CVDisplayLinkSetOutputCallback(mLink, &Ticks::record, &ticks), kCVReturnSuccess);
  ASSERT_EQ(CVDisplayLinkStart(mLink), kCVReturnSuccess);
  EXPECT_TRUE(CVDisplayLinkIsRunning(mLink));
  ASSERT_TRUE(pollUntil([&] { return ticks.count >= 3; }));
  EXPECT_EQ(CVDisplayLinkStop(mLink), kCVReturnSuccess);
  EXPECT_FALSE(CVDisplayLinkIsRunning(mLink));
  std::lock_guard<std::mutex> lock(ticks.mutex);
  const int64_t period = CVDisplayLinkGetNominalOutputVideoRefreshPeriod(mLink).timeValue;
  EXPECT_GT(period, 0);
  for (size_t i = 0; i < ticks.now.size(); ++i) {
    EXPECT_EQ(ticks.output[i].hostTime, ticks.now[i].hostTime + uint64_t(period)) << "the next refresh";
    EXPECT_TRUE(ticks.now[i].flags & kCVTimeStampHostTimeValid);
    if (i > 0) {
      EXPECT_GT(ticks.now[i].hostTime, ticks.now[i - 1].hostTime);
    }
  }
}

// What the callback uses may go once a stop has returned: the stop waits for a callback that
// is running.
TEST_F(CVDisplayLinkTest, StopWaitsForTheCallbackUnderWay) {
  struct Blocking {
    std::atomic<bool> entered{false}, release{false}, stopReturned{false}, stopReturnedInside{false};
  } state;
  CVDisplayLinkSetOutputCallback(
      mLink,
      [](CVDisplayLinkRef, const CVTimeStamp*, const CVTimeStamp*, CVOptionFlags, CVOptionFlags*,
         void* context) -> CVReturn {
        auto* s = static_cast<Blocking*>(context);
        if (s->entered.exchange(true)) return kCVReturnSuccess;
        while (!s->release) std::this_thread::yield();
        s->stopReturnedInside = s->stopReturned.load();
        return kCVReturnSuccess;
      },
      &state);
  ASSERT_EQ(CVDisplayLinkStart(mLink), kCVReturnSuccess);
  ASSERT_TRUE(pollUntil([&] { return state.entered.load(); }));
  std::thread stopper([&] {
    CVDisplayLinkStop(mLink);
    state.stopReturned = true;
  });
  // The stop has begun (the link reads as stopped) but the callback is still inside.
  ASSERT_TRUE(pollUntil([&] { return !CVDisplayLinkIsRunning(mLink); }));
  EXPECT_FALSE(state.stopReturned);
  state.release = true;
  stopper.join();
  EXPECT_FALSE(state.stopReturnedInside);
}

TEST_F(CVDisplayLinkTest, StopsFromInsideItsOwnCallback) {
  std::atomic<int> calls{0};
  CVDisplayLinkSetOutputCallback(
      mLink,
      [](CVDisplayLinkRef link, const CVTimeStamp*, const CVTimeStamp*, CVOptionFlags, CVOptionFlags*,
         void* context) -> CVReturn {
        ++*static_cast<std::atomic<int>*>(context);
        return CVDisplayLinkStop(link);
      },
      &calls);
  ASSERT_EQ(CVDisplayLinkStart(mLink), kCVReturnSuccess);
  ASSERT_TRUE(pollUntil([&] { return !CVDisplayLinkIsRunning(mLink); }));
  EXPECT_EQ(calls, 1);
}

TEST_F(CVDisplayLinkTest, ManualTicksCallBackOnTheCallingThreadOnly) {
  _CVDisplayLinkSetManualTicks(true);
  Ticks ticks;
  CVDisplayLinkSetOutputCallback(mLink, &Ticks::record, &ticks);
  EXPECT_EQ(_CVDisplayLinkTick(mLink, 1000), kCVReturnDisplayLinkNotRunning);
  ASSERT_EQ(CVDisplayLinkStart(mLink), kCVReturnSuccess);
  ASSERT_EQ(_CVDisplayLinkTick(mLink, 5000), kCVReturnSuccess);
  ASSERT_EQ(_CVDisplayLinkTick(mLink, 9000), kCVReturnSuccess);
  CVDisplayLinkStop(mLink);
  EXPECT_EQ(_CVDisplayLinkTick(mLink, 12000), kCVReturnDisplayLinkNotRunning);
  ASSERT_EQ(ticks.count, 2);
  EXPECT_EQ(ticks.now[0].hostTime, 5000u);
  EXPECT_EQ(ticks.now[1].hostTime, 9000u);
}

TEST_F(CVDisplayLinkTest, DisplaysAndArguments) {
  CVDisplayLinkRef other = nullptr;
  EXPECT_EQ(CVDisplayLinkCreateWithCGDisplay(0xDEADBEEF, &other), kCVReturnInvalidDisplay);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(CVDisplayLinkSetCurrentCGDisplay(mLink, 0xDEADBEEF), kCVReturnInvalidDisplay);
  EXPECT_EQ(CVDisplayLinkSetCurrentCGDisplayFromOpenGLContext(mLink, nullptr, nullptr),
            kCVReturnInvalidArgument);
  EXPECT_EQ(CVDisplayLinkCreateWithActiveCGDisplays(nullptr), kCVReturnInvalidArgument);
  EXPECT_EQ(CVDisplayLinkStart(nullptr), kCVReturnInvalidArgument);
  EXPECT_FALSE(CVDisplayLinkIsRunning(nullptr));
  EXPECT_EQ(CFGetTypeID(mLink), CVDisplayLinkGetTypeID());
}

}  // namespace
