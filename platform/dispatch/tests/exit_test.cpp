// The process ends cleanly with queues and timers alive, and a queue can be drained from the
// exit path (as the requirement reporters do with their output queue).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "DispatchTestSupport.h"

using namespace dispatch_test;

namespace {

dispatch_queue_t gOutputQueue;

// A static object whose destructor drains the queue, as a reporter's exit-time hook does.
struct DrainAtExit {
  ~DrainAtExit() {
    dispatch_sync(gOutputQueue, [] {});
    std::fprintf(stderr, "drained\n");
  }
};

void postSlowLinesThenExit() {
  static DrainAtExit drain;
  gOutputQueue = dispatch_queue_create("sCFTypeRefOutputQueue", DISPATCH_QUEUE_SERIAL);
  for (int i = 0; i < 200; ++i) {
    dispatch_async(gOutputQueue, [i] {
      usleep(100);
      std::fprintf(stderr, "line %d\n", i);
    });
  }
  // Workers, a repeating timer and a blocked queue are all alive while exiting.
  dispatch_source_t timer =
      dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, dispatch_get_global_queue(0, 0));
  dispatch_source_set_timer(timer, DISPATCH_TIME_NOW, NSEC_PER_MSEC, 0);
  dispatch_source_set_event_handler(timer, [] {});
  dispatch_resume(timer);
  dispatch_queue_t blocked = dispatch_queue_create("blocked", DISPATCH_QUEUE_SERIAL);
  dispatch_async(blocked, [] { pause(); });
  std::exit(3);
}

}  // namespace

TEST(DispatchExit, PendingBlocksDrainFromAnExitDestructorAndExitCompletes) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(postSlowLinesThenExit(), testing::ExitedWithCode(3), "line 0\n(.|\n)*line 199\ndrained\n");
}

TEST(DispatchExit, DispatchMainRunsTheMainQueue) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto run = [] {
    dispatch_async(dispatch_get_global_queue(0, 0), [] {
      dispatch_async(dispatch_get_main_queue(), [] {
        std::fprintf(stderr, "on main: %d\n", dispatch_get_current_queue() == dispatch_get_main_queue());
        std::exit(0);
      });
    });
    dispatch_main();
  };
  EXPECT_EXIT(run(), testing::ExitedWithCode(0), "on main: 1");
}
